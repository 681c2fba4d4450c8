#pragma once

#include <string>

#include "ibis/IbisModel.h"

// The I-V tables of an IBIS [Model] as CSV, one file per corner, so that the
// analog part of a kit can be plotted and compared:
//
//   # comment lines (what the columns are)
//   voltage_V,pulldown_A,pullup_A,gnd_clamp_A,power_clamp_A
//   -1,-0.02,0.02,0,0
//
// One row per voltage of any of the four tables, rising; a table without a
// point at that voltage, or NA there, leaves its cell empty (nothing is
// interpolated). A voltage a table gives twice gets a row per repetition.
// Values in V and A as the shortest decimal that reads back to the same
// double; [Pullup] and [POWER Clamp] voltages are the rail minus the pin
// voltage, as IBIS writes them. The IBIS library writes them (IbisIvCsv).
class IvReport {
public:
    enum Corner { Typ, Min, Max };

    // "typ", "min" or "max".
    static const char* Name(Corner corner);

    // The CSV of `model`'s tables at `corner`.
    static std::string Csv(const IbisModel& model, Corner corner);

    // "MODEL_typ.csv", with every character but letters, digits, ".", "-"
    // and "_" of the model's name replaced by "_".
    static std::string FileName(const std::string& model, Corner corner);
};

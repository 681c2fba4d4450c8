#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ibis/IbisValue.h"

// One [Component] of an IBIS file and its pin list, as IbisFile reads them.
// Names are kept as written (IBIS names are case-sensitive); their lengths
// and characters are a checker's business.

// A row of [Pin]: "pin signal model" with optional per-pin R_pin L_pin C_pin.
struct IbisPin {
    std::string Name;   // pin name, e.g. "1" or "A12"
    std::string Signal; // signal name
    std::string Model;  // a [Model] or [Model Selector] name, or POWER, GND, NC
    std::optional<double> R, L, C; // ohm, H, F; empty when not given or NA
    int Line = 0;
};

// A row of [Diff Pin]: "pin inv_pin vdiff tdelay_typ tdelay_min tdelay_max".
struct IbisDiffPin {
    std::string Pin;
    std::string InvertedPin;
    std::optional<double> Vdiff; // volts; empty for NA
    IbisCorners<double> Tdelay;  // seconds; Tdelay.Line is the row's line
};

// [Package]: the lumped package parasitics R_pkg (ohm), L_pkg (H), C_pkg (F).
struct IbisPackage {
    IbisCorners<double> R, L, C;
    int Line = 0;
};

// A row of [Pin Mapping] ("pin pulldown_ref pullup_ref [gnd_clamp_ref
// power_clamp_ref [ext_ref]]") or [Series Pin Mapping] ("pin_1 pin_2
// model [function_table_group]"): its fields as written.
struct IbisMappingRow {
    std::vector<std::string> Fields;
    int Line = 0;
};

struct IbisComponent {
    std::string Name; // the rest of the [Component] line, trimmed
    int Line = 0;
    IbisText Manufacturer;
    IbisPackage Package;
    std::vector<IbisPin> Pins;
    int PinLine = 0; // line of [Pin]
    std::vector<IbisDiffPin> DiffPins;
    int DiffPinLine = 0; // line of [Diff Pin]
    IbisText PackageModel; // [Package Model]: the name of a [Define Package Model]
    std::vector<IbisMappingRow> PinMapping, SeriesPinMapping;
    int PinMappingLine = 0, SeriesPinMappingLine = 0; // lines of the keywords; 0 when absent
};

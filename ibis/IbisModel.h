#pragma once

#include <string>
#include <vector>

#include "ibis/IbisValue.h"

// One [Model] of an IBIS file and the records inside it, as IbisFile reads
// them. Units are SI throughout: volts, amperes, ohms, farads, seconds, and
// degrees Celsius for [Temperature Range].

// One row of an I-V table: the voltage at the pin (for [Pullup] and
// [POWER Clamp], the rail minus the pin voltage, as IBIS defines them) and
// the current into the pin at typ, min and max.
struct IbisIvRow {
    double Voltage = 0.0;
    IbisCorners<double> Current; // Current.Line is the row's line
};

// [Pulldown], [Pullup], [GND Clamp] or [POWER Clamp]: rows in file order
// (a checker judges their order and count; the reader keeps them as written).
struct IbisIvTable {
    std::vector<IbisIvRow> Rows;
    int Line = 0; // line of the keyword; 0 when the model has no such table
};

// [Ramp]: the rising and falling edge rates into R_load.
struct IbisRamp {
    IbisCorners<IbisSlope> Rising;  // dV/dt_r
    IbisCorners<IbisSlope> Falling; // dV/dt_f
    IbisValue RLoad;                // R_load, 0 line when not given (IBIS then means 50 ohm)
    int Line = 0;
};

// One line "Executable PLATFORM LIBRARY PARAMETER_FILE" of an
// [Algorithmic Model], the file names as written (relative to the .ibs
// file's folder unless absolute).
struct IbisExecutable {
    std::string Kind;          // the sub-parameter: Executable, Executable_Tx or Executable_Rx
    std::string Platform;      // e.g. Linux_gcc_64: system, compiler, bits
    std::string Library;       // the shared library (.so, .dll)
    std::string ParameterFile; // the .ami file
    int Line = 0;
};

// [Algorithmic Model] ... [End Algorithmic Model].
struct IbisAlgorithmicModel {
    std::vector<IbisExecutable> Executables; // file order
    int Line = 0;                            // 0: the model is not an AMI model
    int EndLine = 0;                         // line of [End Algorithmic Model]
};

// [Rising Waveform] or [Falling Waveform]: the voltage at the pin against
// time, into a fixture R_fixture (ohm) to V_fixture (V), with optional
// L_fixture (H), C_fixture (F) and the package parts R_dut, L_dut, C_dut.
struct IbisWaveform {
    struct Row {
        double Time = 0.0;          // s
        IbisCorners<double> Voltage; // V; Voltage.Line is the row's line
    };
    IbisValue RFixture, VFixture, VFixtureMin, VFixtureMax, LFixture, CFixture, RDut, LDut, CDut;
    std::vector<Row> Rows; // file order
    int Line = 0;          // line of the keyword
};

// A row of [Add Submodel]: a [Submodel]'s name and the mode it is added in
// (Driving, Non-Driving or All).
struct IbisSubmodelUse {
    std::string Name;
    std::string Mode;
    int Line = 0;
};

struct IbisModel {
    std::string Name; // case-sensitive, one word
    int Line = 0;
    IbisText ModelType; // Model_type as written: Output, I/O, Input, ...
    IbisText Polarity;  // Non-Inverting or Inverting as written
    IbisCorners<double> CComp;
    // C_comp split by the buffer element it belongs to (IBIS 5.0 on); a model
    // with these needs no C_comp.
    IbisCorners<double> CCompPullup, CCompPulldown, CCompPowerClamp, CCompGndClamp;
    IbisValue Vmeas, Vref, Rref, Cref;
    IbisCorners<double> TemperatureRange; // [Temperature Range], degrees Celsius
    IbisCorners<double> VoltageRange;     // [Voltage Range], volts
    IbisIvTable Pulldown, Pullup, GndClamp, PowerClamp;
    IbisRamp Ramp;
    IbisAlgorithmicModel Algorithmic;
    std::vector<IbisWaveform> RisingWaveforms, FallingWaveforms; // file order
    std::vector<IbisSubmodelUse> AddSubmodels;                  // rows of [Add Submodel]
    int AddSubmodelLine = 0;
};

// A [Model Selector]: a name that [Pin] rows may give instead of a model's,
// and the models it chooses among.
struct IbisModelSelector {
    struct Entry {
        std::string Model;
        int Line = 0;
    };
    std::string Name;
    int Line = 0;
    std::vector<Entry> Models;
};

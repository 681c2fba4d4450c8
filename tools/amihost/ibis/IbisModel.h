#pragma once

#include <string>
#include <vector>

#include "tools/amihost/ibis/IbisValue.h"

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

struct IbisModel {
    std::string Name; // case-sensitive, one word
    int Line = 0;
    IbisText ModelType; // Model_type as written: Output, I/O, Input, ...
    IbisText Polarity;  // Non-Inverting or Inverting as written
    IbisCorners<double> CComp;
    IbisValue Vmeas, Vref, Rref, Cref;
    IbisCorners<double> TemperatureRange; // [Temperature Range], degrees Celsius
    IbisCorners<double> VoltageRange;     // [Voltage Range], volts
    IbisIvTable Pulldown, Pullup, GndClamp, PowerClamp;
    IbisRamp Ramp;
    IbisAlgorithmicModel Algorithmic;
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

#pragma once

#include <cstddef>
#include <vector>

#include "tools/amihost/ibis/IbisFile.h"
#include "tools/amihost/ibis/Finding.h"

// The rules of IBIS that simulators' readers enforce, checked on a file that
// IbisFile has read (its syntax is the reader's business):
//   header       [File Name] and [File Rev] given; [File Name] the file's
//                own name, at most NameLimit characters; a published
//                [IBIS Ver]; nothing but comments after [End]
//   lines        none longer than the file's version allows (LineLimit)
//   components   at least one; each with [Manufacturer], [Package] (R_pkg,
//                L_pkg and C_pkg with typ values) and [Pin]; pin names of at
//                most PinNameLimit characters and unique, signal and model
//                names of at most NameLimit; every pin's model a [Model], a
//                [Model Selector], POWER, GND or NC; both pins of a
//                [Diff Pin] in the [Pin] list
//   models       a name of at most NameLimit characters that is no reserved
//                word; a known Model_type; C_comp with a typ value; a model
//                that drives (Output, I/O, 3-state, the open drain, sink and
//                source kinds, and their ECL and differential variants) has
//                [Voltage Range], [Pulldown] (but open source), [Pullup]
//                (but open drain and sink) and [Ramp] with both rates
//   tables       every I-V table of 2 to TableRowLimit rows, voltages rising,
//                typ currents given; [Ramp] rates with dV > 0 and dt > 0
//   algorithmic  only from IBIS 5.0; at least one Executable line, each
//                with a platform word SYSTEM_COMPILER_BITS
//   selectors    every model a [Model Selector] names exists
// A file that simulators' readers refuse gives an Error. Each finding names
// the file and line; at most MaxFindings are kept, and a last Note counts
// the rest.
class IbisRules {
public:
    static constexpr std::size_t MaxFindings = 200;
    static constexpr std::size_t NameLimit = 40;  // characters of component, model, signal and file names
    static constexpr std::size_t PinNameLimit = 5;
    static constexpr std::size_t TableRowLimit = 100;

    static std::vector<Finding> Check(const IbisFile& file);

    // The longest line the file's version allows, in characters without the
    // line break: 80 before IBIS 5.1, 120 from it.
    static std::size_t LineLimit(const IbisFile& file);
};

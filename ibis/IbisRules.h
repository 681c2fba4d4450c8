#pragma once

#include <cstddef>
#include <vector>

#include "ibis/IbisFile.h"
#include "ibis/Finding.h"

// The rules of IBIS, checked on a file that IbisFile has read (its syntax
// is the reader's business), each as the file's own [IBIS Ver] has it. The
// rules live in rules/, one file per room of keywords:
//   header       [File Name] (the file's own name, at most NameLimit
//                characters) and [File Rev] given; a published [IBIS Ver];
//                nothing after [End]; lines of at most LineLimit characters;
//                only 7-bit ASCII without control characters; no keyword
//                that IBIS lacks, none newer than the file's version
//   components   at least one in a .ibs; [Manufacturer], [Package] (R_pkg,
//                L_pkg, C_pkg with typ, min <= typ <= max), [Pin] with unique
//                pin names of at most PinNameLimit characters, every model a
//                [Model], [Model Selector], POWER, GND or NC; [Diff Pin]
//                pairing two listed pins, not a pin with itself, each pin once;
//                [Package Model] defined in the file (else a Warning)
//   models       name (length, no reserved word, no [Model Selector] of the
//                same name); a known Model_type; C_comp, or from 5.0 its
//                parts C_comp_pullup, ...; a driver's [Voltage Range],
//                [Pulldown], [Pullup] and [Ramp]; [Add Submodel] naming a
//                [Submodel]; [Algorithmic Model] with Executable lines
//   tables       I-V tables of 2 to TableRowLimit rows, voltages rising or
//                falling throughout, typ given in the first and last row,
//                currents monotonic (Warning); [Ramp] rates positive; V-T
//                tables with R_fixture and V_fixture, 2 to WaveformRowLimit
//                rows, time rising; their edges against [Ramp] (Caution)
//   definitions  the keywords a [Define Package Model] (.pkg) and a
//                [Begin Board Description] (.ebd) need, [Number Of Pins]
//                against their pin lists
// A file that simulators' readers refuse gives an Error; where the text of
// IBIS leaves a case open, a Warning, and the rule's comment says why.
// Every finding names the file and line and the rule; none is dropped.
class IbisRules {
public:
    static constexpr std::size_t NameLimit = 40;  // characters of component, model, signal and file names
    static constexpr std::size_t PinNameLimit = 5;
    static constexpr std::size_t TableRowLimit = 100;     // rows of an I-V table
    static constexpr std::size_t WaveformRowLimit = 1000; // rows of a V-T table

    static std::vector<Finding> Check(const IbisFile& file);

    // The longest line the file's version allows, in characters without the
    // line break: 80 up to IBIS 4.0, 120 from 4.1.
    static std::size_t LineLimit(const IbisFile& file);
};

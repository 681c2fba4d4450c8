#pragma once

#include <complex>
#include <string>
#include <vector>

#include "tools/amihost/channel/TouchstoneFile.h"

// The channel that a network makes between a source and a load: its
// transfer function at each of the data's frequencies.
//
// The two-port used: a 2-port's own S (port 1 to port 2), or a 4-port's
// differential mode, from the pair at the transmitter (P+, N+ ports p1, n1)
// to the pair at the receiver (p2, n2):
//   Sdd(a)(b) = (S(pa)(pb) - S(pa)(nb) - S(na)(pb) + S(na)(nb)) / 2,
// with reference impedances Z(p) + Z(n) (the two ports of a pair must share
// theirs). Mode conversion (Sdc, Scd) is left out: the pair is driven and
// terminated differentially.
//
// Terminations: a source of open-circuit voltage Vs behind Rs at port 1, a
// load RL at port 2 (references Z1, Z2). With the power waves of real
// references, Gs = (Rs - Z1) / (Rs + Z1), GL = (RL - Z2) / (RL + Z2),
//   Gin = S11 + S12 S21 GL / (1 - S22 GL)
//   V2 / Vs = sqrt(Z1 Z2) / (Rs + Z1) * (1 + GL) S21 / ((1 - S22 GL)(1 - Gs Gin))
// and the channel is H = 2 V2 / Vs: the load's voltage against the one the
// source puts on a load equal to its own resistance. Matched (Rs = Z1,
// RL = Z2) this is S21 sqrt(Z2 / Z1), S21 itself for equal references; a
// mismatch adds the reflections of S11 and S22 as the network would.
class ThroughPath {
public:
    // The single-ended ports of a 4-port's two lines.
    enum PairOrder {
        Through12And34, // line P from port 1 to port 2, line N from port 3 to port 4
        Through13And24, // line P from port 1 to port 3, line N from port 2 to port 4
    };

    // Source and load resistances in ohms; 0 stands for the reference
    // impedance of their port (matched).
    struct Terminations {
        double Source = 0.0;
        double Load = 0.0;
    };

    struct Result {
        std::vector<std::complex<double>> Transfer; // H at each data frequency, dimensionless
        double SourceReference = 0.0;               // Z1, ohms (2 Z for a differential pair)
        double LoadReference = 0.0;                 // Z2, ohms
        double Source = 0.0;                        // Rs used, ohms
        double Load = 0.0;                          // RL used, ohms
        std::string Name;                           // "S21" or "Sdd21"
    };

    // H of `data`, a 2-port or a 4-port. False with the reason for other
    // port counts, a pair whose ports differ in reference, or a termination
    // that is not finite and positive (0 aside).
    static bool Transfer(const TouchstoneData& data, PairOrder order, const Terminations& ends, Result& result,
                         std::string& error);
};

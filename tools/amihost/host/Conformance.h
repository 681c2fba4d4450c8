#pragma once

#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/host/AmiModel.h"

// The checks a simulator silently relies on, run on a loaded model with the
// parameter string built from its .ami file:
//   symbols               AMI_Init, AMI_GetWave and AMI_Close are exported
//                         (AMI_GetWave may be missing when the .ami says
//                         GetWave_Exists False; the wave checks are then skipped)
//   init-defaults         AMI_Init with the .ami's defaults returns 1 and a
//                         handle, and AMI_Close returns 1
//   block-independence    the output does not depend on how the wave is cut
//                         into AMI_GetWave calls: random block sizes (1 ..
//                         2 x the block size) give the one-call output bit for bit;
//                         its pass line carries a checksum of that output, so
//                         builds on different systems can be compared
//   instances-independent two live instances fed different waves, their
//                         calls interleaved, each give their one-instance output
//   repeated-init-close   several Init/GetWave/Close cycles all succeed and
//                         give the same output bit for bit
//   clock-end-mark        after every AMI_GetWave the clock times hold the end
//                         mark -1 with only ascending, non-negative times before it
struct ConformanceConfig {
    double BitTime = 1e-10;
    int SamplesPerBit = 32;
    std::size_t Bits = 256;       // length of the test waves
    std::size_t BlockSize = 1024;
    unsigned Seed = 1;            // of the random block sizes
    std::vector<double> Impulse;  // AMI_Init's impulse matrix (1/s); empty: a unit impulse
};

struct ConformanceResult {
    std::string Name;
    bool Pass = false;
    bool Skipped = false;
    std::string Reason;
};

class Conformance {
public:
    static std::vector<ConformanceResult> Run(const AmiModel& model, const AmiFile& file,
                                              const std::string& parameters, const ConformanceConfig& config);
};

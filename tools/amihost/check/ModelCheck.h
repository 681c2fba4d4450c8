#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/amifile/ParameterString.h"
#include "tools/amihost/check/KitCheckReport.h"

// What `amihost check` runs on the models: the timing, the test waves of
// the wave checks, and the --set values that every run starts from.
struct ModelCheckConfig {
    double BitTime = 1e-10;       // seconds
    int SamplesPerBit = 32;
    std::size_t Bits = 256;       // length of the test waves
    std::size_t BlockSize = 1024; // samples per AMI_GetWave call
    unsigned Seed = 1;            // of the random block sizes
    std::vector<ParameterString::Setting> Settings;
};

// The checks of one model library with its .ami file, each an item of the
// report, in this order:
//   parameter-names       no parameter declared twice under one path (Error;
//                         a simulator may send either), a name declared
//                         under several groups (Note: it needs its path)
//   library               the library loads with AMI_Init and AMI_Close;
//                         if not, nothing below runs
//   getwave-exists        GetWave_Exists is declared (IBIS-AMI requires it)
//                         and agrees with the export of AMI_GetWave (an
//                         export the .ami denies is a Warning: never called)
//   init-defaults         AMI_Init with the .ami's defaults and --set returns
//                         1 and a handle, and AMI_Close returns 1
//   block-independence    the output does not depend on how the wave is cut
//                         into AMI_GetWave calls: random block sizes (1 ..
//                         2 x the block size) give the one-call output bit for
//                         bit; its summary carries a checksum (FNV-1a, 64 bits)
//                         of that output, so builds on different systems can
//                         be compared
//   instances-independent two live instances fed different waves (PRBS7 and
//                         PRBS15), their calls interleaved, each give their
//                         one-instance output
//   repeated-init-close   several Init/GetWave/Close cycles all succeed and
//                         give the same output bit for bit
//   clock-end-mark        after every AMI_GetWave the clock times hold the end
//                         mark -1 with only ascending, non-negative times before it
//                         (these four are skipped without AMI_GetWave; each
//                         failure of the five is an Error on the library)
//   init-returns-impulse  Init_Returns_Impulse is declared and agrees with
//                         what AMI_Init does to a channel impulse handed to
//                         it: True but returned unchanged is a Warning (a
//                         statistical flow sees no equalisation), False but
//                         changed an Error
//   declared-values       every value an In or InOut parameter declares
//                         (range, increment and step ends, list entries,
//                         corners, value, default), each with the others at
//                         their defaults: AMI_Init returns 1 without a
//                         message of falling back (an Error otherwise; any
//                         other message a Note) and AMI_GetWave takes a
//                         short wave
//   setting-levels        every setting of an integer parameter with at most
//                         64 values, judged on its steady level as sweep
//                         judges it (SettingLevelsCheck): a Warning for each
//                         setting that is inverted or far from the others
// The .ami file's faults are located in it (FileName:LINE), the model's
// faults on the library.
class ModelCheck {
public:
    // Values tried per parameter; a longer list is cut, with a Note.
    static constexpr std::size_t MaxValuesPerParameter = 32;

    // Adds the items of `library` driven with `ami` to `report`. When
    // config.Settings do not fit `ami`, sets report.UsageError and adds
    // nothing.
    static void Run(const std::string& library, const AmiFile& ami, const ModelCheckConfig& config,
                    KitCheckReport& report);

    // The values `definition` declares, each once, in file order, the default
    // last unless it is among them.
    static std::vector<std::string> DeclaredValues(const AmiParameterDefinition& definition);

    // A message of AMI_Init that says a value was not taken: it names a
    // default, a fallback, or an invalid, unknown, ignored, out-of-range or
    // unreadable value (case-insensitive).
    static bool SaysFallback(const std::string& message);
};

#include "runtime/Mux.h"

#include <cstdio>

namespace TorvaneModelBuilder {

void ReportMuxControlOutOfRange(int32_t control, std::size_t inputs)
{
    // Formatted into a fixed buffer: the failure path allocates nothing and
    // cannot throw. N - 1 is signed so that a bus without inputs reads [0,-1].
    const bool plural = inputs > 1;
    char line[192];
    std::snprintf(line, sizeof line,
                  "Control input signal value is equal to %ld.  There %s%zu%s connected.  "
                  "The valid control input range is [0,%lld].",
                  static_cast<long>(control), plural ? "are " : "is ", inputs,
                  plural ? " inputs" : " input", static_cast<long long>(inputs) - 1);
    DFModel::ReportError(line);
}

} // namespace TorvaneModelBuilder

#pragma once

#include <string>

#include "tools/amihost/cli/CommandLine.h"

// The three subcommands of amihost on parsed options. Each prints its report
// on standard output and returns the process exit status: 0 on success, 1
// when a file, the model or a check fails (with one line "amihost: error:
// ..." on standard error). Output files are written only after everything
// they show has been computed, each through a partial file renamed when
// complete.
class HostCommands {
public:
    static int Run(const HostOptions& options);
    static int Sweep(const HostOptions& options);
    static int Check(const HostOptions& options);
};

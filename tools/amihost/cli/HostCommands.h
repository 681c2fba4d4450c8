#pragma once

#include "tools/amihost/cli/HostOptions.h"

// The three subcommands of amihost on parsed options. Each prints its report
// on standard output and returns the process exit status (ExitStatus): 0 on
// success; 2 when a --set or --param value does not fit the .ami file; 1
// when a file, the model or a check fails; each failure with one line
// "amihost: error: ..." on standard error. Output files are written only
// after everything they show has been computed, each through a partial file
// renamed when complete.
class HostCommands {
public:
    static int Run(const HostOptions& options);
    static int Sweep(const HostOptions& options);
    static int Check(const HostOptions& options);
};

#pragma once

#include <string>

#include "tools/amihost/host/ExitStatus.h"
#include "tools/amihost/host/HostRequest.h"

// The subcommands of amihost on a parsed request, each parse -> study ->
// report -> write: the study (host) computes, the report (report) composes
// the files, the text and the warnings, and the command writes them. Each
// returns the process exit status (ExitStatus): 0 on success; 2 when a
// --set, --param or --model value does not fit the kit; 1 when a file, the
// model or a check fails; each failure with one line "amihost: error: ..."
// on standard error (check reports its findings on standard output instead,
// and fails when there is an ERROR or a PROGRAM BUG). Output files are
// written only after everything they show has been computed, each through a
// partial file renamed when complete. Warnings ("amihost: warning: ...") go
// to standard error after the report, which shows them too.
class HostCommands {
public:
    static int Run(const HostRequest& request);
    static int Sweep(const HostRequest& request);
    static int Check(const HostRequest& request);
    // The I-V tables of the [Model] --model names (else the file's only
    // [Model], or its only AMI model) into three CSV files in --out.
    static int Iv(const HostRequest& request);

    // Prints "amihost: error: WHAT" on standard error (after what standard
    // output holds) and returns `status`.
    static int Fail(ExitStatus status, const std::string& error);
};

// amihost: drives an IBIS-AMI model through its entry points the way a
// channel simulator does. See HostCommands and CommandLine.
#include <cstdio>
#include <exception>
#include <new>

#include "tools/amihost/cli/CommandLine.h"
#include "tools/amihost/cli/HostCommands.h"
#include "tools/amihost/cli/Workbench.h"

int main(int argc, char** argv)
{
    try {
        HostRequest options;
        std::string error;
        if (!CommandLine::Parse(argc, argv, options, error))
            return Fail(ExitUsage, error + " (amihost --help shows the usage)");
        switch (options.Action) {
        case HostRequest::Help: std::fputs(CommandLine::Usage().c_str(), stdout); return ExitOk;
        case HostRequest::Version: std::printf("%s\n", CommandLine::Version().c_str()); return ExitOk;
        case HostRequest::Run: return HostCommands::Run(options);
        case HostRequest::Sweep: return HostCommands::Sweep(options);
        case HostRequest::Check: return HostCommands::Check(options);
        case HostRequest::Iv: return HostCommands::Iv(options);
        }
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "amihost: error: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "amihost: error: %s\n", e.what());
    }
    return ExitFailure;
}

// amihost: drives an IBIS-AMI model through its entry points the way a
// channel simulator does. See HostCommands and CommandLine.
#include <cstdio>
#include <exception>
#include <new>

#include "tools/amihost/cli/CommandLine.h"
#include "tools/amihost/cli/HostCommands.h"

int main(int argc, char** argv)
{
    try {
        HostRequest request;
        std::string error;
        if (!CommandLine::Parse(argc, argv, request, error))
            return HostCommands::Fail(ExitUsage, error + " (amihost --help shows the usage)");
        switch (request.Action) {
        case HostRequest::Help: std::fputs(CommandLine::Usage().c_str(), stdout); return ExitOk;
        case HostRequest::Version: std::printf("%s\n", CommandLine::Version().c_str()); return ExitOk;
        case HostRequest::Run: return HostCommands::Run(request);
        case HostRequest::Sweep: return HostCommands::Sweep(request);
        case HostRequest::Check: return HostCommands::Check(request);
        case HostRequest::Iv: return HostCommands::Iv(request);
        }
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "amihost: error: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "amihost: error: %s\n", e.what());
    }
    return ExitFailure;
}

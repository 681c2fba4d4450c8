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
        HostOptions options;
        std::string error;
        if (!CommandLine::Parse(argc, argv, options, error)) {
            std::fprintf(stderr, "amihost: error: %s (amihost --help shows the usage)\n", error.c_str());
            return 2;
        }
        switch (options.Action) {
        case HostOptions::Help: std::fputs(CommandLine::Usage().c_str(), stdout); return 0;
        case HostOptions::Run: return HostCommands::Run(options);
        case HostOptions::Sweep: return HostCommands::Sweep(options);
        case HostOptions::Check: return HostCommands::Check(options);
        }
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "amihost: error: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "amihost: error: %s\n", e.what());
    }
    return 1;
}

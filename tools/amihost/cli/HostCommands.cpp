#include "tools/amihost/cli/HostCommands.h"

#include <cstdio>

#include "tools/amihost/cli/SharedProgress.h"
#include "tools/amihost/host/Kit.h"
#include "tools/amihost/check/KitCheck.h"
#include "tools/amihost/host/Study.h"
#include "tools/amihost/report/KitOutput.h"
#include "tools/amihost/report/RunOutput.h"
#include "tools/amihost/report/SweepOutput.h"

namespace {

OutputFolder::Others OthersIn(const HostRequest& request)
{
    return request.ReuseFolder ? OutputFolder::Others::Keep : OutputFolder::Others::Refuse;
}

// The files into the request's folder (when there are any), then the text on
// standard output, then each warning on standard error.
int Deliver(const CommandReport& report, const HostRequest& request, ExitStatus status = ExitOk)
{
    std::string error;
    if (!report.Files.empty() && !report.Write(request.OutDir, OthersIn(request), error))
        return HostCommands::Fail(ExitFailure, error);
    std::fputs(report.Text.c_str(), stdout);
    std::fflush(stdout);
    for (const std::string& warning : report.Warnings)
        std::fprintf(stderr, "amihost: warning: %s\n", warning.c_str());
    return status;
}

} // namespace

int HostCommands::Fail(ExitStatus status, const std::string& error)
{
    std::fflush(stdout);
    std::fprintf(stderr, "amihost: error: %s\n", error.c_str());
    return status;
}

int HostCommands::Run(const HostRequest& request)
{
    std::string error;
    Study study(request);
    if (const ExitStatus status = study.Open(error); status != ExitOk)
        return Fail(status, error);
    // Refused before the simulation, which may take long; Write checks again.
    if (!OutputFolder::Usable(request.OutDir, OthersIn(request), error))
        return Fail(ExitUsage, error);
    SimulationResult result;
    {
        SharedProgress progress(1, Simulation::TotalSamples(study.Config()), request.SamplesPerBit);
        if (!study.Run(progress.For(0, "simulating"), result, error))
            return Fail(ExitFailure, error);
    }
    return Deliver(RunOutput::Compose(study, result), request);
}

int HostCommands::Sweep(const HostRequest& request)
{
    std::string error;
    Study study(request);
    if (const ExitStatus status = study.Open(error); status != ExitOk)
        return Fail(status, error);
    // Refused before the simulation, which may take long; Write checks again.
    if (!OutputFolder::Usable(request.OutDir, OthersIn(request), error))
        return Fail(ExitUsage, error);
    std::string key;
    std::vector<std::string> values;
    if (const ExitStatus status = study.SweptValues(key, values, error); status != ExitOk)
        return Fail(status, error);
    std::vector<SweepOutput::Point> points(values.size());
    {
        SharedProgress progress(values.size(), Simulation::TotalSamples(study.Config()), request.SamplesPerBit);
        const ExitStatus status = study.Sweep(
            key, values, [&](std::size_t i, const std::string& label) { return progress.For(i, label); },
            [&](std::size_t i, SimulationResult& result) {
                points[i] = SweepOutput::Keep(key, values[i], result);
            },
            error);
        if (status != ExitOk)
            return Fail(status, error);
    }
    return Deliver(SweepOutput::Compose(study, key, points), request);
}

int HostCommands::Check(const HostRequest& request)
{
    const KitCheckReport found = KitCheck::Run(request);
    if (!found.UsageError.empty())
        return Fail(ExitUsage, found.UsageError);
    return Deliver(KitOutput::Check(request, found), request, found.Failed() ? ExitFailure : ExitOk);
}

int HostCommands::Iv(const HostRequest& request)
{
    std::string error;
    Kit kit;
    ExitStatus status = ExitOk;
    if (!kit.Open(request.IbisPath, request.ModelName, Kit::AnyModel, error, status))
        return Fail(status, status == ExitUsage ? "--model: " + error : error);
    return Deliver(KitOutput::Iv(request, kit), request);
}

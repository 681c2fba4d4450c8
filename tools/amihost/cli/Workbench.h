#pragma once

#include <cstdint>
#include <string>

#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/channel/Channel.h"
#include "tools/amihost/host/HostRequest.h"
#include "tools/amihost/host/AmiModel.h"
#include "tools/amihost/host/Conformance.h"
#include "tools/amihost/host/Receiver.h"
#include "tools/amihost/host/Simulation.h"
#include "tools/amihost/signal/Stimulus.h"

// How a command ends, the process's exit status: a bad command line (an
// option, or a --set/--param value that the .ami file does not allow) is 2;
// a file, the model or a check that fails is 1.
enum ExitStatus { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

// Prints "amihost: error: WHAT" on standard error (after what standard
// output holds) and returns `status`.
int Fail(ExitStatus status, const std::string& error);

// Prints "amihost: warning: WHAT" on standard error, after what standard
// output holds.
void Warn(const std::string& warning);

// Everything the subcommands share: the .ami file, the receiver's files
// (--rx-model), the channel, the stimulus and the loaded models, read in
// that order (the models last: loading runs their code). Each step returns
// ExitOk or the status of its fault, with the reason in `error`.
struct Workbench {
    AmiFile Ami;
    Channel Link;
    Stimulus Drive;
    AmiModel Model;
    Receiver Rx;            // the receiver after the channel, with --rx-model
    std::string Parameters; // the parameter string, with --set applied
    std::string Kit;        // where FILE.ibs led: its [Model] and Executable line; empty without one

    // With FILE.ibs: reads it, takes its AMI model (--model, or the only
    // one) and the Executable line of this platform, and puts the library
    // and the .ami file it names, beside the .ibs, into `options`. Nothing
    // without FILE.ibs.
    ExitStatus OpenKit(HostRequest& options, std::string& error);

    // The .ami file and the parameter string.
    ExitStatus ReadAmi(const HostRequest& options, std::string& error);

    // Everything, for run and sweep.
    ExitStatus Prepare(const HostRequest& options, std::string& error);

    SimulationConfig Config(const HostRequest& options) const;

    // The settings of check's conformance runs.
    static ConformanceConfig Checks(const HostRequest& options);

    // The report's opening lines: model, flow, timing, stimulus, channel.
    void PrintSetting(const HostRequest& options) const;

    // What a plot's subtitle says of the run: data rate, channel, stimulus
    // (with its jitter) and noise.
    std::string Conditions(const HostRequest& options) const;

    // The noise generator's seed for --seed.
    static std::uint64_t NoiseSeed(unsigned seed);

private:
    ExitStatus ReadReceiver(const HostRequest& options, std::string& error);
    bool ReadChannel(const HostRequest& options, std::string& error);
    bool ReadStimulus(const HostRequest& options, std::string& error);
};

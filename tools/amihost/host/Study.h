#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/channel/Channel.h"
#include "tools/amihost/channel/TouchstoneChannel.h"
#include "tools/amihost/channel/findings/ImpulseSpan.h"
#include "tools/amihost/host/AmiModel.h"
#include "tools/amihost/host/ExitStatus.h"
#include "tools/amihost/host/HostRequest.h"
#include "tools/amihost/host/Kit.h"
#include "tools/amihost/host/Receiver.h"
#include "tools/amihost/host/Simulation.h"
#include "tools/amihost/signal/EdgeJitter.h"
#include "tools/amihost/signal/StimulusStream.h"

// A study of one model on one link: what `amihost run` and `sweep` compute.
//
// Open reads, in this order: the kit (FILE.ibs, through Kit::Open: its
// library and .ami file), the .ami file and the parameter string (--set),
// the receiver after the channel (--rx-model), the channel, the stimulus
// (with its jitter), and loads the models last, since loading runs their
// code. It builds the simulation's configuration itself (Config). Then Run
// simulates the request's one setting, Sweep every value of --param.
//
// The request is the study's own copy and is never written: what the kit
// names stands beside it (ModelPath, AmiPath). Warnings about the inputs
// gather in Warnings, for the report; what a Touchstone file's data say of
// themselves stays in ChannelFindings for the report to word.
//
// The response window (the step run after its edge, in bits; the latency
// the eye searches) follows the channel: its impulse response arrives at
// Span->Delay and holds all but ImpulseSpan::EnergyShare of its energy by
// Span->End, so the window is
//   WindowBits = max(--response-bits, ceil(End / T) + ModelMarginBits),
// --response-bits a floor, ModelMarginBits room for the models' own memory
// (a transmitter's taps, a receiver's equaliser) after the channel's.
//
// After Open the study is only read: Sweep's settings run on several
// threads at once, each in model instances of its own.
class Study {
public:
    // Samples done so far, reported from the simulating thread.
    using Progress = std::function<void(std::size_t)>;
    // The progress callback of setting `index` (its label says which).
    using ProgressFor = std::function<Progress(std::size_t index, const std::string& label)>;
    // Takes setting `index`'s result on the thread that computed it, so that
    // the caller keeps what it needs of waves that may be large.
    using Keep = std::function<void(std::size_t index, SimulationResult& result)>;

    explicit Study(const HostRequest& request) : request_(request) {}
    Study(const Study&) = delete;
    Study& operator=(const Study&) = delete;

    // Everything, in the order above. ExitOk, or the status of the fault
    // (ExitUsage for a --model, --set or --rx-set value that the kit does
    // not allow) with one line in `error`.
    ExitStatus Open(std::string& error);

    static constexpr std::size_t ModelMarginBits = 32;
    static constexpr std::size_t MaxWindowBits = 100000; // the --response-bits limit

    // The response window in bits, as above; --response-bits before Open.
    std::size_t WindowBits() const { return windowBits_; }

    // The simulation of a parameter string on this study's link.
    SimulationConfig Config() const;

    // The request's setting (the parameter string with --set).
    bool Run(const Progress& progress, SimulationResult& result, std::string& error) const;

    // The swept parameter and its values, from --param and the .ami file;
    // ExitUsage with the reason when they do not fit it.
    ExitStatus SweptValues(std::string& key, std::vector<std::string>& values, std::string& error) const;

    // Every value of `key`, each with --set and key=value, on up to --jobs
    // threads; `keep` gets each result. The first failing setting in sweep
    // order is the one reported, as a serial sweep would.
    ExitStatus Sweep(const std::string& key, const std::vector<std::string>& values, const ProgressFor& progress,
                     const Keep& keep, std::string& error) const;

    // The noise generator's seed for --seed: the jitter draws from the seed
    // itself, the noise from one that no --seed value gives.
    static std::uint64_t NoiseSeed(unsigned seed);

    const HostRequest& Request() const { return request_; }
    const std::string& ModelPath() const { return modelPath_; }
    const std::string& AmiPath() const { return amiPath_; }
    EdgeJitter Jitter() const { return EdgeJitter{request_.RjUi, request_.SjUi, request_.SjHz}; }

    Kit Opened;             // the kit read from FILE.ibs; empty without one
    AmiFile Ami;
    Channel Link;
    StimulusStream Drive = StimulusStream::Step(0, 1, 0.0); // no bits until Open reads the request
    AmiModel Model;
    Receiver Rx;            // the receiver after the channel, with --rx-model
    std::string Parameters; // the parameter string, with --set applied
    std::vector<std::string> Warnings; // about the inputs, for the report
    std::optional<ImpulseSpan> Span;   // of the channel's taps; absent without a channel
    std::optional<TouchstoneChannel::Findings> ChannelFindings; // with --touchstone

private:
    ExitStatus OpenKit(std::string& error);
    ExitStatus ReadAmi(std::string& error);
    ExitStatus ReadReceiver(std::string& error);
    bool ReadChannel(std::string& error);
    bool ReadStimulus(std::string& error);
    void FitWindow();

    const HostRequest request_;
    std::string modelPath_;
    std::string amiPath_;
    std::size_t windowBits_ = request_.ResponseBits;
};

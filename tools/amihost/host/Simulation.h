#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/amihost/channel/Channel.h"
#include "tools/amihost/eye/BerAnalysis.h"
#include "tools/amihost/eye/EyeAnalysis.h"
#include "tools/amihost/eye/EyeDensity.h"
#include "tools/amihost/host/AmiModel.h"
#include "tools/amihost/host/Receiver.h"
#include "tools/amihost/signal/StimulusStream.h"

// One setting of a model simulated as a channel simulator does it.
//
// Transmitter (the default): stimulus -> model (AMI_GetWave) -> channel ->
// eye. Receiver: stimulus -> channel -> model -> eye. Either way AMI_Init
// receives the channel's impulse response as its impulse matrix (h(t) in
// 1/s, one row, no aggressors).
//
// A transmitter may be followed by a receiver model (Rx; ReceiverStage says
// how it is applied): stimulus -> model -> channel -> Rx -> eye. Then the
// impulse matrix is the channel's with ResponseBits UI of zeros after it,
// room for what the models add; the transmitter's AMI_Init gets it, and the
// receiver's AMI_Init gets what the transmitter's returns when its .ami
// declares Init_Returns_Impulse True, or else the same matrix.
//
// Two instances of each model run per setting: one on a unit step
// (StepLeadBits of 0, then ResponseBits of 1), first, for the step and
// pulse responses and, for a transmitter, the de-emphasis of its own
// output; then one on the stimulus. The chain's memory in bits, from the
// step's arrival at the eye (it stays above half its final value from then
// on) until it has settled (within 2 % of its final value), plus one, or
// the receiver's Ignore_Bits if more, at most half the bits, is left out of
// the eye unless SkipBits says otherwise. The step has settled inside its
// run (Settled) when it stays within 2 % of its final value over the last
// SettledTailBits of the run; otherwise the run was too short for the chain
// and its final value, the skip and the latency are not to be trusted.
//
// The stimulus streams through the chain (SignalChain) in pieces and is
// never held whole: what the answer needs is gathered as it passes. The
// chain's delay D is found once, before: the sample of the pulse
// response's peak after the step's edge (the main cursor). The eye's
// latency is searched over one UI around it, D - spb/2 .. D - spb/2 + spb
// (EyeAccumulator over the offsets one UI beyond on either side, which the
// eye's width and the bathtub read); where the receiver (Rx, or the model
// itself with Receiver) returns clock times, the eye is also sampled half a
// bit after each (ClockedAccumulator, each time's bit the one whose main
// cursor lies nearest). Kept whole are only the first WaveRows samples of
// each wave (for wave.csv) and the received samples that the eye density
// draws (EyeDensity, its first traces, at most DensitySamples).
//
// Receiver-referred noise (NoiseRms > 0) is added to the wave at the eye,
// after the whole chain, from GaussianNoise(NoiseSeed): the same noise for
// every setting of a sweep. The bathtub and the eye at TargetBer
// (BerAnalysis) are measured on that wave, over the eye's bits, about the
// best fixed latency.
//
// Memory, whatever the number of bits: the chain's (SignalChain), one
// piece of Chunk() samples, the eye's statistics (about 3 spb + 1 offsets
// of 2 GaussianTail::MaxPoints values), the WaveRows heads and the
// density's samples: at 32 samples per bit and the defaults some 80 MB
// besides the channel.
struct SimulationConfig {
    static constexpr std::size_t StepLeadBits = 4;
    static constexpr std::size_t SettledTailBits = 16;
    static constexpr double SettleTolerance = 0.02; // of the step's final value

    double BitTime = 1e-10;         // seconds
    int SamplesPerBit = 32;
    std::size_t BlockSize = 1024;   // samples per AMI_GetWave call
    std::size_t ResponseBits = 96;  // length of the step run after its edge
    // Which end of the link the model is.
    enum Role { Transmitter, Receiver };

    std::optional<std::size_t> SkipBits; // bits left out of the eye; absent: from the step response
    Role ModelRole = Transmitter;
    double NoiseRms = 0.0;          // Gaussian noise at the eye, signal units rms
    std::uint64_t NoiseSeed = 1;    // its generator's seed
    double TargetBer = 1e-12;       // of the eye's height and width at a BER
    const Channel* Link = nullptr;  // never null when run
    const StimulusStream* Drive = nullptr; // copied by each run, which reads it from its start
    const ::Receiver* Rx = nullptr; // a receiver model after the channel (Transmitter only); null: none
    bool TxReturnsImpulse = false;  // the model's .ami declares Init_Returns_Impulse True
    // Whether the wave at the eye may hold a random part (noise, random or
    // sinusoidal jitter, a receiver model's own randomness). Absent: the eye
    // at any BER is the measured eye (BerAnalysis).
    BerAnalysis::RandomPart Random = BerAnalysis::RandomPart::Present;

    // The first samples of each wave kept in the result (wave.csv); 0: none.
    std::size_t WaveRows = std::size_t(1) << 20;

    double SampleInterval() const { return BitTime / SamplesPerBit; }
};

struct SimulationResult {
    std::string Parameters;     // the string given to AMI_Init
    std::string Message;        // AMI_Init's message, if any
    std::string ParametersOut;  // AMI_Init's output parameters, if any
    // The first WaveRows samples of the stimulus, the model's output for it
    // and the wave at the eye.
    std::vector<double> Stimulus;
    std::vector<double> Output;
    std::vector<double> Received;
    std::size_t Delay = 0;        // D, samples from a bit's start to its main cursor at the eye
    std::vector<double> TxStep;   // the model's own unit step response (transmitters only)
    std::vector<double> RxStep;   // unit step response at the eye
    std::vector<double> Pulse;    // one-UI pulse response at the eye, from RxStep
    std::size_t StepEdge = 0;     // sample of the unit step's edge
    double DeemphasisDb = 0.0;    // of TxStep (StepAnalysis); NaN for receivers or when undefined
    // The model's output at the end of the unit step run (TxStep, or RxStep
    // for a receiver): its gain for long runs of equal bits (SettingLevels).
    double SteadyLevel = 0.0;
    EyeResult Eye;                // at the receiver's clock times when there are any, else = FixedEye
    EyeResult FixedEye;           // at the best fixed latency
    std::size_t ClockCount = 0;        // clock times the receiver returned for the stimulus
    std::vector<double> ClockTimes;    // the first WaveRows of them, seconds from the wave's start
    std::vector<double> SamplingTimes; // where Eye samples: ClockTimes + BitTime / 2; empty for FixedEye
    EyeDensity Density;                // of the eye's first traces, about Eye's latency
    std::vector<double> RxImpulseIn;   // what the receiver's (Rx) AMI_Init got, 1/s; empty without Rx
    std::vector<double> RxImpulseOut;  // the same as its AMI_Init left it
    std::string RxMessage;             // its AMI_Init's message, if any
    BerResult Ber;                     // bathtub about FixedEye, and the eye at the target BER
    std::size_t SettleBits = 0;        // bits from the step's edge until it stays within 2 % of its end
    bool Settled = true;               // SettleBits <= ResponseBits - SettledTailBits
    // Eye height against the steady-state swing at the eye (stimulus swing
    // times the final value of RxStep): compares settings on equalisation
    // rather than on gain. NaN when the eye is not measured or the swing is 0.
    double RelativeEye = 0.0;

    // The stimulus's pass through the chain, wall seconds, and the part of
    // it inside the model's AMI_GetWave: the host's speed against the
    // model's own, in the same run.
    double Seconds = 0.0;
    double ModelSeconds = 0.0;

    // Eye is read at the receiver's clock times rather than at FixedEye's latency.
    bool Clocked() const { return ClockCount > 0 && FixedEye.Valid; }
};

class Simulation {
public:
    // Runs `parameters` through `model`. `progress`, if set, gets the
    // samples passed through the model so far (of TotalSamples). False with
    // the reason when AMI_Init or AMI_GetWave fails.
    static bool Run(const AmiModel& model, const SimulationConfig& config, const std::string& parameters,
                    SimulationResult& result, const std::function<void(std::size_t)>& progress,
                    std::string& error);

    // Received samples that the eye density may draw from, at most.
    static constexpr std::size_t DensitySamples = std::size_t(1) << 22;

    // Samples that Run passes through the chain: the step's, then the
    // stimulus's.
    static std::size_t TotalSamples(const SimulationConfig& config);
};

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tools/amihost/amifile/ParameterString.h"
#include "tools/amihost/channel/ThroughPath.h"

// What one amihost command asks for, typed: the command line fills it (and
// only parses), the study reads it and never writes it. Numbers are numbers
// in the units stated; an absent value is an empty std::optional; the
// member initialisers are the defaults that --help and the option table
// show. Spellings.h names the enumerators.
struct HostRequest {
    enum Command { Help, Version, Run, Sweep, Check, Iv };
    // The NRZ stimulus: a PRBS of the order in its name, a step (StepLeadBits
    // of the low level, then high) or one high bit.
    enum StimulusKind { Prbs7, Prbs15, Prbs23, Prbs31, Step, Pulse };

    static constexpr std::size_t DefaultBits = 1000;
    static constexpr std::size_t DefaultCheckBits = 256; // check's test waves are short

    Command Action = Help;
    std::string IbisPath;              // FILE.ibs: the kit that names the library and the .ami file
    std::string ModelName;             // --model: its [Model]; empty for the only AMI model
    std::string ModelPath;             // LIBRARY, given instead of FILE.ibs
    std::string AmiPath;               // its .ami file
    double BitTime = 1e-10;            // seconds
    int SamplesPerBit = 32;
    std::size_t Bits = DefaultBits;    // DefaultCheckBits for check unless given
    double Amplitude = 1.0;            // peak-to-peak swing of the NRZ stimulus, V
    StimulusKind Stimulus = Prbs7;
    std::string WaveFile;              // stimulus from a CSV file instead
    std::optional<double> LossDb;      // the built-in line, dB at Nyquist
    std::string ImpulseFile;           // channel from a CSV file instead
    std::string TouchstoneFile;        // channel from a Touchstone file instead
    ThroughPath::PairOrder PairOrder = ThroughPath::Through12And34; // a 4-port's through paths
    std::optional<double> TxR;         // source resistance, ohms; absent: the port's reference
    std::optional<double> RxR;         // load resistance, ohms; absent: the port's reference
    std::size_t BlockSize = 1024;      // samples per AMI_GetWave call
    std::vector<ParameterString::Setting> Settings; // --set, in order
    std::optional<std::string> SweepSpec;           // --param NAME=VALUES
    std::string OutDir = "amihost-out";
    bool ReuseFolder = false;          // --reuse-folder: write into OutDir beside files amihost did not write
    std::size_t WaveRows = std::size_t(1) << 20; // run's wave.csv: its first samples; 0 writes none
    std::size_t ResponseBits = 96;     // the step run's floor; Study::WindowBits follows the channel
    std::optional<std::size_t> SkipBits; // bits left out of the eye; absent: until the step settles
    bool ModelIsReceiver = false;      // --rx: the channel comes before the model
    std::string RxModel;               // a receiver after the channel: its library, or an .ibs; empty: none
    std::string RxAmi;                 // the receiver library's .ami file
    std::string RxModelName;           // its [Model] in the .ibs; empty: the only AMI model
    std::vector<ParameterString::Setting> RxSettings; // --rx-set, in order
    unsigned Seed = 1;                 // of the jitter and noise, and of check's block sizes
    std::optional<unsigned> Jobs;      // sweep's settings at once; absent: every core
    double RjUi = 0.0;                 // transmitter random jitter, UI rms
    double SjUi = 0.0;                 // transmitter sinusoidal jitter, UI peak
    double SjHz = 1e8;                 // its frequency
    double NoiseRms = 0.0;             // receiver-referred noise at the eye, V rms
    double TargetBer = 1e-12;          // of the eye's height and width at a BER
    bool OwnEyeScale = false;          // sweep: each eye on its own level scale

    bool HasReceiverAfter() const { return !RxModel.empty(); }
};

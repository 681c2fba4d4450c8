#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/amihost/amifile/ParameterString.h"

// What one amihost command line asks for, as OptionTable declares and
// CommandLine fills it. The member initialisers are the defaults that
// --help and the README's option table show.
struct HostOptions {
    enum Command { Help, Version, Run, Sweep, Check, Iv };

    static constexpr std::size_t DefaultBits = 1000;
    static constexpr std::size_t DefaultCheckBits = 256; // check's test waves are short

    Command Action = Help;
    std::string ModelPath;
    std::string AmiPath;
    std::string IbisPath;              // FILE.ibs: the kit that names ModelPath and AmiPath
    std::string ModelName;             // --model: its [Model]; empty for the only AMI model
    double BitTime = 1e-10;            // seconds
    int SamplesPerBit = 32;
    std::size_t Bits = DefaultBits;    // DefaultCheckBits for check unless given
    double Amplitude = 1.0;            // peak-to-peak swing of the NRZ stimulus
    std::string StimulusKind = "prbs7";// prbs7|prbs15|prbs23|prbs31|step|pulse
    std::string WaveFile;              // stimulus from a CSV file instead
    bool HasLoss = false;
    double LossDb = 0.0;               // built-in line, dB at Nyquist
    std::string ImpulseFile;           // channel from a CSV file instead
    std::string TouchstoneFile;        // channel from a Touchstone file instead
    std::string S4pOrder = "1-2/3-4";  // a 4-port's through paths: 1-2/3-4 or 1-3/2-4
    double TxR = 0.0;                  // source resistance, ohms; 0: the port's reference
    double RxR = 0.0;                  // load resistance, ohms; 0: the port's reference
    std::size_t BlockSize = 1024;
    std::vector<ParameterString::Setting> Settings; // --set, in order
    std::string SweepSpec;             // --param
    std::string OutDir = "amihost-out";
    std::size_t ResponseBits = 96;
    long SkipBits = -1;                // -1: until the step settles
    bool Receiver = false;
    std::string RxModel;               // a receiver after the channel: its library, or an .ibs
    std::string RxAmi;                 // the receiver library's .ami file
    std::string RxModelName;           // its [Model] in the .ibs; empty: the only AMI model
    std::vector<std::string> RxSettings; // --rx-set NAME=VALUE texts, in order (their form checked)
    unsigned Seed = 1;                 // of the jitter and noise, and of check's block sizes
    unsigned Jobs = 0;                 // sweep's settings at once; 0: every core
    double RjUi = 0.0;                 // transmitter random jitter, UI rms
    double SjUi = 0.0;                 // transmitter sinusoidal jitter, UI peak
    double SjHz = 1e8;                 // its frequency
    double NoiseRms = 0.0;             // receiver-referred noise at the eye, V rms
    double TargetBer = 1e-12;          // of the eye's height and width at a BER
    bool OwnEyeScale = false;          // sweep: each eye on its own level scale
};

#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/amihost/amifile/ParameterString.h"

// The options of the amihost command, parsed with getopt_long:
//   amihost run   MODEL.so MODEL.ami [options]
//   amihost sweep MODEL.so MODEL.ami --param NAME=VALUES [options]
//   amihost check MODEL.so MODEL.ami [options]
// Numbers must be whole tokens and within the ranges in Usage(). Every fault
// gives one line that names the option.
struct HostOptions {
    enum Command { Help, Run, Sweep, Check };

    Command Action = Help;
    std::string ModelPath;
    std::string AmiPath;
    double BitTime = 1e-10;            // seconds
    int SamplesPerBit = 32;
    std::size_t Bits = 1000;
    double Amplitude = 1.0;            // peak-to-peak swing of the NRZ stimulus
    std::string StimulusKind = "prbs7";// prbs7|prbs15|prbs23|prbs31|step|pulse
    std::string WaveFile;              // stimulus from a CSV file instead
    bool HasLoss = false;
    double LossDb = 0.0;               // built-in line, dB at Nyquist
    std::string ImpulseFile;           // channel from a CSV file instead
    std::size_t BlockSize = 1024;
    std::vector<ParameterString::Setting> Settings; // --set, in order
    std::string SweepSpec;             // --param
    std::string OutDir = "amihost-out";
    std::size_t ResponseBits = 96;
    long SkipBits = -1;                // -1: automatic
    bool Receiver = false;
    unsigned Seed = 1;
};

class CommandLine {
public:
    // argv[1] is the subcommand. False with one line in `error` for any
    // fault; "help" (or -h/--help anywhere) gives Action Help.
    static bool Parse(int argc, char** argv, HostOptions& options, std::string& error);

    static std::string Usage();
};

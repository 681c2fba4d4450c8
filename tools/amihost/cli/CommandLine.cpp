#include "tools/amihost/cli/CommandLine.h"

#include <getopt.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

enum OptionId {
    OptBitTime = 1000,
    OptSamplesPerBit,
    OptBits,
    OptAmplitude,
    OptStimulus,
    OptWave,
    OptLoss,
    OptImpulse,
    OptBlock,
    OptSet,
    OptParam,
    OptOut,
    OptResponseBits,
    OptSkipBits,
    OptRx,
    OptSeed,
    OptHelp
};

const option Options[] = {
    {"bit-time", required_argument, nullptr, OptBitTime},
    {"samples-per-bit", required_argument, nullptr, OptSamplesPerBit},
    {"bits", required_argument, nullptr, OptBits},
    {"amplitude", required_argument, nullptr, OptAmplitude},
    {"stimulus", required_argument, nullptr, OptStimulus},
    {"wave", required_argument, nullptr, OptWave},
    {"loss", required_argument, nullptr, OptLoss},
    {"impulse", required_argument, nullptr, OptImpulse},
    {"block", required_argument, nullptr, OptBlock},
    {"set", required_argument, nullptr, OptSet},
    {"param", required_argument, nullptr, OptParam},
    {"out", required_argument, nullptr, OptOut},
    {"response-bits", required_argument, nullptr, OptResponseBits},
    {"skip-bits", required_argument, nullptr, OptSkipBits},
    {"rx", no_argument, nullptr, OptRx},
    {"seed", required_argument, nullptr, OptSeed},
    {"help", no_argument, nullptr, OptHelp},
    {nullptr, 0, nullptr, 0},
};

const char* NameOf(int id)
{
    for (const option& o : Options)
        if (o.name && o.val == id)
            return o.name;
    return "?";
}

bool Real(const char* text, double low, double high, double& value, int id, std::string& error)
{
    const char* end = text + std::strlen(text);
    const std::from_chars_result r = std::from_chars(text, end, value);
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(value)) {
        error = std::string("--") + NameOf(id) + " \"" + text + "\" is not a number";
        return false;
    }
    if (!(value >= low && value <= high)) {
        char buffer[160];
        std::snprintf(buffer, sizeof buffer, "--%s %s is outside %g .. %g", NameOf(id), text, low, high);
        error = buffer;
        return false;
    }
    return true;
}

bool Whole(const char* text, long long low, long long high, long long& value, int id, std::string& error)
{
    const char* end = text + std::strlen(text);
    const std::from_chars_result r = std::from_chars(text, end, value);
    if (r.ec != std::errc() || r.ptr != end) {
        error = std::string("--") + NameOf(id) + " \"" + text + "\" is not a whole number";
        return false;
    }
    if (value < low || value > high) {
        error = std::string("--") + NameOf(id) + " " + text + " is outside " + std::to_string(low) + " .. " +
                std::to_string(high);
        return false;
    }
    return true;
}

// The option getopt_long stopped at: a short option by its letter, a known
// long one by its name, an unknown long one as written (without "=value").
std::string Offending(char** args, int code)
{
    if (code > 0 && code < 256)
        return std::string("-") + static_cast<char>(code);
    if (code >= OptBitTime)
        return std::string("--") + NameOf(code);
    const std::string token = optind > 0 ? args[optind - 1] : "?";
    return token.substr(0, token.find('='));
}

} // namespace

std::string CommandLine::Usage()
{
    return "usage: amihost run   MODEL.so MODEL.ami [options]\n"
           "       amihost sweep MODEL.so MODEL.ami --param NAME=FROM:TO[:STEP]|V1,V2,... [options]\n"
           "       amihost check MODEL.so MODEL.ami [options]\n"
           "options:\n"
           "  --set NAME=VALUE        parameter value instead of the .ami default (repeatable)\n"
           "  --bit-time S            bit time in seconds (1e-13 .. 1e-6; default 1e-10)\n"
           "  --samples-per-bit N     samples per bit (2 .. 1024; default 32)\n"
           "  --bits N                bits of the stimulus (1 .. 10000000; default 1000; check: 256)\n"
           "  --stimulus KIND         prbs7, prbs15, prbs23, prbs31, step or pulse (default prbs7)\n"
           "  --wave FILE.csv         stimulus wave from a CSV file (value, or time,value)\n"
           "  --amplitude V           peak-to-peak swing of the NRZ stimulus (default 1)\n"
           "  --loss DB               built-in lossy line with DB of loss at Nyquist (0 .. 100)\n"
           "  --impulse FILE.csv      channel impulse response h(t) in 1/s from a CSV file\n"
           "  --block N               samples per AMI_GetWave call (1 .. 16777216; default 1024)\n"
           "  --out DIR               output folder (default amihost-out)\n"
           "  --response-bits N       bits of the step run after its edge (8 .. 100000; default 96)\n"
           "  --skip-bits N           bits left out of the eye (default: until the step settles)\n"
           "  --rx                    the model is a receiver: the channel comes before it\n"
           "  --seed N                seed of check's random block sizes (default 1)\n"
           "  -h, --help              this text\n";
}

bool CommandLine::Parse(int argc, char** argv, HostOptions& options, std::string& error)
{
    options = HostOptions();
    if (argc < 2) {
        error = "no subcommand (run, sweep or check)";
        return false;
    }
    const std::string command = argv[1];
    if (command == "help" || command == "-h" || command == "--help") {
        options.Action = HostOptions::Help;
        return true;
    }
    if (command == "run")
        options.Action = HostOptions::Run;
    else if (command == "sweep")
        options.Action = HostOptions::Sweep;
    else if (command == "check")
        options.Action = HostOptions::Check;
    else {
        error = "unknown subcommand \"" + command + "\" (expected run, sweep or check)";
        return false;
    }
    bool bitsGiven = false;
    bool stimulusGiven = false;

    // getopt_long sees the subcommand as its program name. optind = 0 makes
    // it start afresh, so Parse can run more than once in a process.
    optind = 0;
    opterr = 0;
    while (true) {
        const int id = getopt_long(argc - 1, argv + 1, ":h", Options, nullptr);
        if (id == -1)
            break;
        long long whole = 0;
        switch (id) {
        case OptBitTime:
            if (!Real(optarg, 1e-13, 1e-6, options.BitTime, id, error))
                return false;
            break;
        case OptSamplesPerBit:
            if (!Whole(optarg, 2, 1024, whole, id, error))
                return false;
            options.SamplesPerBit = static_cast<int>(whole);
            break;
        case OptBits:
            if (!Whole(optarg, 1, 10000000, whole, id, error))
                return false;
            options.Bits = static_cast<std::size_t>(whole);
            bitsGiven = true;
            break;
        case OptAmplitude:
            if (!Real(optarg, 1e-12, 1e6, options.Amplitude, id, error))
                return false;
            break;
        case OptStimulus:
            options.StimulusKind = optarg;
            stimulusGiven = true;
            if (options.StimulusKind != "prbs7" && options.StimulusKind != "prbs15" &&
                options.StimulusKind != "prbs23" && options.StimulusKind != "prbs31" &&
                options.StimulusKind != "step" && options.StimulusKind != "pulse") {
                error = "--stimulus \"" + options.StimulusKind +
                        "\" is not one of prbs7, prbs15, prbs23, prbs31, step, pulse";
                return false;
            }
            break;
        case OptWave: options.WaveFile = optarg; break;
        case OptLoss:
            if (!Real(optarg, 0.0, 100.0, options.LossDb, id, error))
                return false;
            options.HasLoss = true;
            break;
        case OptImpulse: options.ImpulseFile = optarg; break;
        case OptBlock:
            if (!Whole(optarg, 1, 1 << 24, whole, id, error))
                return false;
            options.BlockSize = static_cast<std::size_t>(whole);
            break;
        case OptSet: {
            ParameterString::Setting setting;
            if (!ParameterString::ParseSetting(optarg, setting, error)) {
                error = "--set " + error;
                return false;
            }
            options.Settings.push_back(setting);
            break;
        }
        case OptParam:
            if (!options.SweepSpec.empty()) {
                error = "--param given twice: a sweep runs one parameter";
                return false;
            }
            options.SweepSpec = optarg;
            break;
        case OptOut: options.OutDir = optarg; break;
        case OptResponseBits:
            if (!Whole(optarg, 8, 100000, whole, id, error))
                return false;
            options.ResponseBits = static_cast<std::size_t>(whole);
            break;
        case OptSkipBits:
            if (!Whole(optarg, 0, 10000000, whole, id, error))
                return false;
            options.SkipBits = static_cast<long>(whole);
            break;
        case OptRx: options.Receiver = true; break;
        case OptSeed:
            if (!Whole(optarg, 0, 4294967295LL, whole, id, error))
                return false;
            options.Seed = static_cast<unsigned>(whole);
            break;
        case 'h':
        case OptHelp: options.Action = HostOptions::Help; return true;
        case ':':
            error = "option " + Offending(argv + 1, optopt) + " needs a value";
            return false;
        default:
            error = "unknown option " + Offending(argv + 1, optopt);
            return false;
        }
    }

    std::vector<std::string> files;
    for (int i = optind + 1; i < argc; ++i)
        files.emplace_back(argv[i]);
    if (files.size() != 2) {
        error = command + " needs MODEL.so and MODEL.ami, got " + std::to_string(files.size()) + " file name" +
                (files.size() == 1 ? "" : "s");
        return false;
    }
    options.ModelPath = files[0];
    options.AmiPath = files[1];
    if (options.Action == HostOptions::Sweep && options.SweepSpec.empty()) {
        error = "sweep needs --param NAME=FROM:TO[:STEP] or NAME=V1,V2,...";
        return false;
    }
    if (options.Action != HostOptions::Sweep && !options.SweepSpec.empty()) {
        error = "--param belongs to sweep; use --set NAME=VALUE with " + command;
        return false;
    }
    if (!options.WaveFile.empty() && stimulusGiven) {
        error = "--wave and --stimulus exclude each other";
        return false;
    }
    if (options.HasLoss && !options.ImpulseFile.empty()) {
        error = "--loss and --impulse exclude each other";
        return false;
    }
    if (options.Action == HostOptions::Check && !bitsGiven)
        options.Bits = 256;
    const double samples = static_cast<double>(options.Bits) * options.SamplesPerBit;
    if (samples > 268435456.0) {
        error = "--bits " + std::to_string(options.Bits) + " at " + std::to_string(options.SamplesPerBit) +
                " samples per bit exceeds 2^28 samples";
        return false;
    }
    return true;
}

#include "tools/amihost/cli/OptionTable.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

using Row = OptionTable::Row;

std::string Shown(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// A finite decimal number within [low, high], written as a whole token.
CLI::Validator Real(double low, double high)
{
    return CLI::Validator(
        [low, high](std::string& text) -> std::string {
            double value = 0.0;
            const char* end = text.data() + text.size();
            const std::from_chars_result r = std::from_chars(text.data(), end, value);
            if (text.empty() || r.ec != std::errc() || r.ptr != end || !std::isfinite(value))
                return "\"" + text + "\" is not a number";
            if (!(value >= low && value <= high))
                return text + " is outside " + Shown(low) + " .. " + Shown(high);
            return std::string();
        },
        "", "real");
}

// A whole decimal number within [low, high].
CLI::Validator Whole(long long low, long long high)
{
    return CLI::Validator(
        [low, high](std::string& text) -> std::string {
            long long value = 0;
            const char* end = text.data() + text.size();
            const std::from_chars_result r = std::from_chars(text.data(), end, value);
            if (text.empty() || r.ec != std::errc() || r.ptr != end)
                return "\"" + text + "\" is not a whole number";
            if (value < low || value > high)
                return text + " is outside " + std::to_string(low) + " .. " + std::to_string(high);
            return std::string();
        },
        "", "whole");
}

// One of the listed words.
CLI::Validator OneOf(const std::vector<std::string>& words)
{
    std::string list;
    for (const std::string& word : words)
        list += (list.empty() ? "" : ", ") + word;
    return CLI::Validator(
        [words, list](std::string& text) -> std::string {
            for (const std::string& word : words)
                if (text == word)
                    return std::string();
            return "\"" + text + "\" is not one of " + list;
        },
        "", "one of");
}

// NAME=VALUE with neither side empty.
CLI::Validator NameEqualsValue()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            ParameterString::Setting setting;
            std::string error;
            return ParameterString::ParseSetting(text, setting, error) ? std::string() : error;
        },
        "", "setting");
}

// The declarations, collecting each row as CLI11 gets it.
class Declarer {
public:
    explicit Declarer(CLI::App& app) : app_(app) {}

    template <typename T>
    CLI::Option* Add(T& target, Row row, CLI::Validator check)
    {
        CLI::Option* option = Add(target, row);
        option->check(check);
        return option;
    }

    template <typename T>
    CLI::Option* Add(T& target, Row row)
    {
        std::string help = row.Help;
        if (!row.Range.empty())
            help += "; " + row.Range;
        if (!row.Default.empty())
            help += " (default " + row.Default + ")";
        CLI::Option* option = app_.add_option(row.Flag, target, help)->type_name(row.Value);
        option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)->allow_extra_args(false);
        rows_.push_back(std::move(row));
        return option;
    }

    CLI::Option* Switch(bool& target, Row row)
    {
        CLI::Option* option = app_.add_flag(row.Flag, target, row.Help);
        rows_.push_back(std::move(row));
        return option;
    }

    std::vector<Row> Rows() { return std::move(rows_); }

private:
    CLI::App& app_;
    std::vector<Row> rows_;
};

// The parameters, the model, the timing and the stimulus.
void DeclareRun(Declarer& t, HostOptions& o, const HostOptions& d, std::vector<std::string>& settings,
                std::vector<std::string>& sweeps)
{
    t.Add(settings, {"--set", "NAME=VALUE", "a parameter's value instead of the .ami default (repeatable; NAME "
                                            "is a name or dotted path)", "", ""}, NameEqualsValue())
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    t.Add(sweeps, {"--param", "NAME=FROM:TO[:STEP]|V1,V2,...", "sweep: the values to run (a range of an "
                                                               "integer parameter steps by 1)", "", ""},
          NameEqualsValue())
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    t.Add(o.ModelName, {"--model", "NAME", "with FILE.ibs: the [Model] to run (default: the only one with an "
                                           "[Algorithmic Model]; check: every one)", "", ""});
    t.Add(o.BitTime, {"--bit-time", "S", "bit time in seconds", "1e-13 .. 1e-06", Shown(d.BitTime)}, Real(1e-13, 1e-6));
    t.Add(o.SamplesPerBit, {"--samples-per-bit", "N", "samples per bit; the sample interval is the bit time over "
                                                      "it", "2 .. 1024", std::to_string(d.SamplesPerBit)},
          Whole(2, 1024));
    CLI::Option* bits = t.Add(o.Bits, {"--bits", "N", "bits of the stimulus", "1 .. 10000000",
                   std::to_string(HostOptions::DefaultBits) + "; check: " +
                       std::to_string(HostOptions::DefaultCheckBits)},
          Whole(1, 10000000));
    const std::vector<std::string> kinds = {"prbs7", "prbs15", "prbs23", "prbs31", "step", "pulse"};
    CLI::Option* stimulus = t.Add(o.StimulusKind, {"--stimulus", "KIND", "NRZ stimulus, bit 1 = +V/2, bit 0 = -V/2",
                                                   "prbs7, prbs15, prbs23, prbs31, step or pulse", d.StimulusKind},
                                  OneOf(kinds));
    CLI::Option* wave = t.Add(o.WaveFile, {"--wave", "FILE.csv",
                                           "stimulus wave from a CSV file (value, or time,value; times off the "
                                           "sample grid are resampled) with its own levels, instead of --stimulus, "
                                           "--bits and --amplitude", "", ""});
    wave->excludes(stimulus)->excludes(bits);
    t.Add(o.Amplitude, {"--amplitude", "V", "peak-to-peak swing of the NRZ stimulus", "1e-12 .. 1e+06",
                        Shown(d.Amplitude)}, Real(1e-12, 1e6))->excludes(wave);
}

// The channel.
void DeclareChannel(Declarer& t, HostOptions& o, const HostOptions& d)
{
    CLI::Option* loss = t.Add(o.LossDb, {"--loss", "DB", "built-in lossy line with DB of loss at Nyquist "
                                                         "(1 / (2 bit time))", "0 .. 100", ""}, Real(0.0, 100.0));
    t.Add(o.ImpulseFile, {"--impulse", "FILE.csv", "channel impulse response h(t) in 1/s from a CSV file (value "
                                                   "per sample, or time,value; times off the sample grid are "
                                                   "resampled), instead of --loss", "", ""})->excludes(loss);
    CLI::Option* touchstone =
        t.Add(o.TouchstoneFile, {"--touchstone", "FILE.sNp", "channel from a Touchstone 1.x or 2.0 file (S21 of a "
                                                             "2-port, Sdd21 of a 4-port) as causal taps at the sample "
                                                             "interval, instead of --loss", "", ""})
            ->excludes(loss)
            ->excludes("--impulse");
    t.Add(o.S4pOrder, {"--s4p-order", "ORDER", "a 4-port's single-ended ports: 1-2/3-4 (line P from port 1 to 2, "
                                               "N from 3 to 4) or 1-3/2-4 (P from 1 to 3, N from 2 to 4)",
                       "1-2/3-4 or 1-3/2-4", d.S4pOrder}, OneOf({"1-2/3-4", "1-3/2-4"}))
        ->needs(touchstone);
    t.Add(o.TxR, {"--tx-r", "OHMS", "source resistance driving the Touchstone channel (differential for a 4-port)",
                  "0.001 .. 1e+09", "the port's reference (matched)"}, Real(1e-3, 1e9))
        ->needs(touchstone);
    t.Add(o.RxR, {"--rx-r", "OHMS", "load resistance at the Touchstone channel's end (differential for a 4-port)",
                  "0.001 .. 1e+09", "the port's reference (matched)"}, Real(1e-3, 1e9))
        ->needs(touchstone);
}

// The calls, the files, the eye, jitter, noise and the BER.
void DeclareAnalysis(Declarer& t, HostOptions& o, const HostOptions& d)
{
    t.Add(o.BlockSize, {"--block", "N", "samples per AMI_GetWave call", "1 .. 16777216", std::to_string(d.BlockSize)},
          Whole(1, 1 << 24));
    t.Add(o.OutDir, {"--out", "DIR", "output folder", "", d.OutDir});
    t.Add(o.ResponseBits, {"--response-bits", "N", "bits of the step run after its edge", "8 .. 100000",
                           std::to_string(d.ResponseBits)}, Whole(8, 100000));
    t.Add(o.SkipBits, {"--skip-bits", "N", "bits left out of the eye", "0 .. 10000000", "until the step settles"},
          Whole(0, 10000000));
    t.Add(o.RjUi, {"--rj", "UI", "transmitter random jitter, rms: each edge of the NRZ stimulus moved by a "
                                 "Gaussian draw", "0 .. 0.2", Shown(d.RjUi)}, Real(0.0, 0.2))->excludes("--wave");
    t.Add(o.SjUi, {"--sj", "UI", "transmitter sinusoidal jitter, peak: each edge moved by SJ sin(2 pi f t)",
                   "0 .. 1", Shown(d.SjUi)}, Real(0.0, 1.0))->excludes("--wave");
    t.Add(o.SjHz, {"--sj-freq", "HZ", "frequency f of the sinusoidal jitter, below half the bit rate",
                   "1 .. 1e+12", Shown(d.SjHz)}, Real(1.0, 1e12));
    t.Add(o.NoiseRms, {"--noise", "V", "receiver-referred Gaussian noise, rms, added to the wave at the eye",
                       "0 .. 1e+06", Shown(d.NoiseRms)}, Real(0.0, 1e6));
    t.Add(o.TargetBer, {"--ber", "P", "target bit error ratio of the eye height and width extrapolated from the "
                                      "bathtub", "1e-30 .. 0.01", Shown(d.TargetBer)}, Real(1e-30, 0.01));
    t.Switch(o.OwnEyeScale, {"--own-eye-scale", "", "sweep: each eye on its own level scale instead of one scale "
                                                    "for all settings", "", ""});
}

// A receiver after the channel, the seed and the sweep's parallel runs.
void DeclareReceiver(Declarer& t, HostOptions& o, const HostOptions& d)
{
    CLI::Option* rx = t.Switch(o.Receiver, {"--rx", "", "the model is a receiver: the channel comes before it", "",
                                            ""});
    CLI::Option* rxModel =
        t.Add(o.RxModel, {"--rx-model", "LIBRARY|FILE.ibs", "run, sweep: a receiver model after the channel, "
                                                           "chained as simulators do (its AMI_GetWave, or else the "
                                                           "impulse its AMI_Init returns; the eye is read at its "
                                                           "clock times if it gives any): its library with "
                                                           "--rx-ami, or an IBIS file", "", ""});
    rxModel->excludes(rx);
    t.Add(o.RxAmi, {"--rx-ami", "FILE.ami", "the .ami file of the --rx-model library", "", ""})->needs(rxModel);
    t.Add(o.RxModelName, {"--rx-model-name", "NAME", "the receiver's [Model] in the --rx-model IBIS file", "",
                          "its only AMI model"})->needs(rxModel);
    t.Add(o.RxSettings, {"--rx-set", "NAME=VALUE", "a receiver parameter's value instead of its .ami default "
                                                   "(repeatable)", "", ""}, NameEqualsValue())
        ->needs(rxModel)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    t.Add(o.Seed, {"--seed", "N", "seed of the jitter and the noise, and of check's random block sizes",
                   "0 .. 4294967295", std::to_string(d.Seed)}, Whole(0, 4294967295LL));
    t.Add(o.Jobs, {"-j,--jobs", "N", "sweep: settings simulated at once, each in an instance of its own (the "
                                     "same results as one at a time; 1 for a model whose instances share state)",
                   "1 .. 1024", "every core"}, Whole(1, 1024));
}

} // namespace

std::vector<Row> OptionTable::Declare(CLI::App& app, HostOptions& o, std::vector<std::string>& settings,
                                      std::vector<std::string>& sweeps)
{
    const HostOptions d; // the defaults
    Declarer t(app);
    DeclareRun(t, o, d, settings, sweeps);
    DeclareChannel(t, o, d);
    DeclareAnalysis(t, o, d);
    DeclareReceiver(t, o, d);
    return t.Rows();
}

std::string OptionTable::Markdown()
{
    CLI::App app;
    HostOptions options;
    std::vector<std::string> settings;
    std::vector<std::string> sweeps;
    std::string table = "| option | meaning | range | default |\n|---|---|---|---|\n";
    for (const Row& row : Declare(app, options, settings, sweeps)) {
        std::string value = row.Value;
        for (std::size_t at = value.find('|'); at != std::string::npos; at = value.find('|', at + 2))
            value.replace(at, 1, "\\|");
        table += "| `" + row.Flag + (value.empty() ? "" : " " + value) + "` | " + row.Help + " | " + row.Range +
                 " | " + row.Default + " |\n";
    }
    return table;
}

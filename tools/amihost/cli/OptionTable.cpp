#include "tools/amihost/cli/OptionTable.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/amihost/host/Spellings.h"
#include "tools/amihost/report/SweepReport.h"

namespace {

using Row = OptionTable::Row;

std::string Shown(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// A validator and the range text made from the same bounds.
struct Check {
    CLI::Validator Validator;
    std::string Range;
};

// A finite decimal number within [low, high], written as a whole token.
Check Real(double low, double high)
{
    return {CLI::Validator(
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
        "", "real"), OptionTable::RealRange(low, high)};
}

// A whole decimal number within [low, high].
Check Whole(long long low, long long high)
{
    return {CLI::Validator(
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
        "", "whole"), std::to_string(low) + " .. " + std::to_string(high)};
}

// One of the spellings of enum E.
template <typename E>
Check OneOf()
{
    const std::vector<std::string> words = NamesOf<E>();
    std::string list;
    for (const std::string& word : words)
        list += (list.empty() ? "" : ", ") + word;
    return {CLI::Validator(
        [words, list](std::string& text) -> std::string {
            for (const std::string& word : words)
                if (text == word)
                    return std::string();
            return "\"" + text + "\" is not one of " + list;
        },
        "", "one of"), OptionTable::WordRange(words)};
}

// NAME=VALUE with neither side empty.
Check NameEqualsValue()
{
    return {CLI::Validator(
        [](std::string& text) -> std::string {
            ParameterString::Setting setting;
            std::string error;
            return ParameterString::ParseSetting(text, setting, error) ? std::string() : error;
        },
        "", "setting"), std::string()};
}

// The declarations, collecting each row as CLI11 gets it.
class Declarer {
public:
    explicit Declarer(CLI::App& app) : app_(app) {}

    template <typename T>
    CLI::Option* Add(T& target, Row row, const Check& check)
    {
        row.Range = check.Range;
        CLI::Option* option = Add(target, row);
        option->check(check.Validator);
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
void DeclareRun(Declarer& t, HostRequest& o, const HostRequest& d, OptionTable::Given& g)
{
    t.Add(g.Settings, {"--set", "NAME=VALUE", "a parameter's value instead of the .ami default (repeatable; NAME "
                                              "is a name or dotted path)", "", ""}, NameEqualsValue())
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    t.Add(g.Sweeps, {"--param", "NAME=FROM:TO[:STEP]|V1,V2,...", std::string("sweep: the values to run (a range of an "
                                                                 "integer parameter steps by 1); best: ") +
                                                                 SweepReport::BestRule(), "", ""},
          NameEqualsValue())
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    t.Add(o.ModelName, {"--model", "NAME", "with FILE.ibs: the [Model] to run (default: the only one with an "
                                           "[Algorithmic Model]; check: every one)", "", ""});
    t.Add(o.BitTime, {"--bit-time", "S", "bit time in seconds", "", Shown(d.BitTime)}, Real(1e-13, 1e-6));
    t.Add(o.SamplesPerBit, {"--samples-per-bit", "N", "samples per bit; the sample interval is the bit time over "
                                                      "it", "", std::to_string(d.SamplesPerBit)},
          Whole(2, 1024));
    CLI::Option* bits = t.Add(o.Bits, {"--bits", "N", "bits of the stimulus", "",
                                       std::to_string(HostRequest::DefaultBits) + "; check: " +
                                           std::to_string(HostRequest::DefaultCheckBits)},
                              Whole(1, 1000000000));
    g.Stimulus = NameOf(d.Stimulus);
    CLI::Option* stimulus = t.Add(g.Stimulus, {"--stimulus", "KIND", "NRZ stimulus, bit 1 = +V/2, bit 0 = -V/2", "",
                                               g.Stimulus}, OneOf<HostRequest::StimulusKind>());
    CLI::Option* wave = t.Add(o.WaveFile, {"--wave", "FILE.csv",
                                           "stimulus wave from a CSV file (value, or time,value; times off the "
                                           "sample grid are resampled) with its own levels, instead of --stimulus, "
                                           "--bits and --amplitude", "", ""});
    wave->excludes(stimulus)->excludes(bits);
    t.Add(o.Amplitude, {"--amplitude", "V", "peak-to-peak swing of the NRZ stimulus", "", Shown(d.Amplitude)},
          Real(1e-12, 1e6))->excludes(wave);
}

// The channel.
void DeclareChannel(Declarer& t, const HostRequest& d, HostRequest& o, OptionTable::Given& g)
{
    CLI::Option* loss = t.Add(g.LossDb, {"--loss", "DB", "built-in lossy line with DB of loss at Nyquist "
                                                         "(1 / (2 bit time))", "", ""}, Real(0.0, 100.0));
    t.Add(o.ImpulseFile, {"--impulse", "FILE.csv", "channel impulse response h(t) in 1/s from a CSV file (value "
                                                   "per sample, or time,value; times off the sample grid are "
                                                   "resampled), instead of --loss", "", ""})->excludes(loss);
    CLI::Option* touchstone =
        t.Add(o.TouchstoneFile, {"--touchstone", "FILE.sNp", "channel from a Touchstone 1.x or 2.0 file (S21 of a "
                                                             "2-port, Sdd21 of a 4-port) as causal taps at the sample "
                                                             "interval, instead of --loss", "", ""})
            ->excludes(loss)
            ->excludes("--impulse");
    const std::string ordered = NameOf(ThroughPath::Through12And34);
    const std::string crossed = NameOf(ThroughPath::Through13And24);
    g.PairOrder = NameOf(d.PairOrder);
    t.Add(g.PairOrder, {"--s4p-order", "ORDER", "a 4-port's single-ended ports: " + ordered + " (line P from port 1 "
                                                "to 2, N from 3 to 4) or " + crossed + " (P from 1 to 3, N from 2 "
                                                "to 4)", "", g.PairOrder}, OneOf<ThroughPath::PairOrder>())
        ->needs(touchstone);
    t.Add(g.TxR, {"--tx-r", "OHMS", "source resistance driving the Touchstone channel (differential for a 4-port)",
                  "", "the port's reference (matched)"}, Real(1e-3, 1e9))
        ->needs(touchstone);
    t.Add(g.RxR, {"--rx-r", "OHMS", "load resistance at the Touchstone channel's end (differential for a 4-port)",
                  "", "the port's reference (matched)"}, Real(1e-3, 1e9))
        ->needs(touchstone);
}

// The calls, the files, the eye, jitter, noise and the BER.
void DeclareAnalysis(Declarer& t, HostRequest& o, const HostRequest& d, OptionTable::Given& g)
{
    t.Add(o.BlockSize, {"--block", "N", "samples per AMI_GetWave call", "", std::to_string(d.BlockSize)},
          Whole(1, 1 << 24));
    t.Add(o.OutDir, {"--out", "DIR", "output folder", "", d.OutDir});
    t.Add(o.WaveRows, {"--wave-rows", "N", "samples in run's wave.csv, the first of the stimulus, the model's "
                                           "output and the wave at the eye; 0 writes no wave.csv", "",
                       std::to_string(d.WaveRows)}, Whole(0, 1 << 22));
    t.Switch(o.ReuseFolder, {"--reuse-folder", "", "write into an output folder that holds files amihost did not "
                                                   "write (they are kept; amihost's own files of an earlier run "
                                                   "are always replaced)", "", ""});
    t.Add(o.ResponseBits, {"--response-bits", "N", "bits of the step run after its edge, at least: the run "
                                                   "lengthens it to hold the channel's impulse response", "",
                           std::to_string(d.ResponseBits)}, Whole(8, 100000));
    t.Add(g.SkipBits, {"--skip-bits", "N", "bits left out of the eye", "", "until the step settles"},
          Whole(0, 999999999)); // below the most --bits: one bit is left for the eye
    t.Add(o.RjUi, {"--rj", "UI", "transmitter random jitter, rms: each edge of the NRZ stimulus moved by a "
                                 "Gaussian draw", "", Shown(d.RjUi)}, Real(0.0, 0.2))->excludes("--wave");
    t.Add(o.SjUi, {"--sj", "UI", "transmitter sinusoidal jitter, peak: each edge moved by SJ sin(2 pi f t)",
                   "", Shown(d.SjUi)}, Real(0.0, 1.0))->excludes("--wave");
    t.Add(o.SjHz, {"--sj-freq", "HZ", "frequency f of the sinusoidal jitter, below half the bit rate",
                   "", Shown(d.SjHz)}, Real(1.0, 1e12));
    t.Add(o.NoiseRms, {"--noise", "V", "receiver-referred Gaussian noise, rms, added to the wave at the eye",
                       "", Shown(d.NoiseRms)}, Real(0.0, 1e6));
    t.Add(o.TargetBer, {"--ber", "P", "target bit error ratio of the eye height and width extrapolated from the "
                                      "bathtub", "", Shown(d.TargetBer)}, Real(1e-30, 0.01));
    t.Switch(o.OwnEyeScale, {"--own-eye-scale", "", "sweep: each eye on its own level scale instead of one scale "
                                                    "for all settings", "", ""});
}

// A receiver after the channel, the seed and the sweep's parallel runs.
void DeclareReceiver(Declarer& t, HostRequest& o, const HostRequest& d, OptionTable::Given& g)
{
    CLI::Option* rx = t.Switch(o.ModelIsReceiver, {"--rx", "", "the model is a receiver: the channel comes before "
                                                               "it", "", ""});
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
    t.Add(g.RxSettings, {"--rx-set", "NAME=VALUE", "a receiver parameter's value instead of its .ami default "
                                                   "(repeatable)", "", ""}, NameEqualsValue())
        ->needs(rxModel)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    t.Add(o.Seed, {"--seed", "N", "seed of the jitter and the noise, and of check's random block sizes", "",
                   std::to_string(d.Seed)}, Whole(0, 4294967295LL));
    t.Add(g.Jobs, {"-j,--jobs", "N", "sweep: settings simulated at once, each in an instance of its own (the "
                                     "same results as one at a time; 1 for a model whose instances share state)",
                   "", "every core"}, Whole(1, 1024));
}

} // namespace

std::vector<Row> OptionTable::Declare(CLI::App& app, HostRequest& o, Given& given)
{
    const HostRequest d; // the defaults
    Declarer t(app);
    DeclareRun(t, o, d, given);
    DeclareChannel(t, d, o, given);
    DeclareAnalysis(t, o, d, given);
    DeclareReceiver(t, o, d, given);
    return t.Rows();
}

std::string OptionTable::RealRange(double low, double high) { return Shown(low) + " .. " + Shown(high); }

std::string OptionTable::WordRange(const std::vector<std::string>& words)
{
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    return text;
}

std::string OptionTable::Markdown()
{
    CLI::App app;
    HostRequest request;
    Given given;
    std::string table = "| option | meaning | range | default |\n|---|---|---|---|\n";
    for (const Row& row : Declare(app, request, given)) {
        std::string value = row.Value;
        for (std::size_t at = value.find('|'); at != std::string::npos; at = value.find('|', at + 2))
            value.replace(at, 1, "\\|");
        table += "| `" + row.Flag + (value.empty() ? "" : " " + value) + "` | " + row.Help + " | " + row.Range +
                 " | " + row.Default + " |\n";
    }
    return table;
}

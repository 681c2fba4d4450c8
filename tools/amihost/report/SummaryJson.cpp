#include "tools/amihost/report/SummaryJson.h"

#include <nlohmann/json.hpp>

#include <cmath>

#include "tools/amihost/host/Spellings.h"

#ifndef AMIHOST_VERSION
#define AMIHOST_VERSION "unknown"
#endif

using Json = nlohmann::ordered_json;

namespace {

// A figure, or null where it is undefined (JSON has no NaN).
Json Number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

template <typename T>
Json Optional(const std::optional<T>& value) { return value ? Json(*value) : Json(nullptr); }

Json Text(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

Json Inputs(const Study& study)
{
    const HostRequest& r = study.Request();
    Json in;
    in["kit_ibs"] = Text(r.IbisPath);
    in["model_name"] = Text(r.ModelName);
    in["library"] = study.ModelPath();
    in["ami_file"] = study.AmiPath();
    in["root"] = study.Ami.RootName;
    in["parameters"] = study.Parameters;
    in["role"] = r.ModelIsReceiver ? "receiver" : "transmitter";
    in["bit_time_s"] = r.BitTime;
    in["data_rate_Gbps"] = 1e-9 / r.BitTime;
    in["samples_per_bit"] = r.SamplesPerBit;
    in["block_samples"] = r.BlockSize;
    in["stimulus"] = study.Drive.Description();
    in["stimulus_kind"] = r.WaveFile.empty() ? Json(NameOf(r.Stimulus)) : Json(nullptr);
    in["wave_file"] = Text(r.WaveFile);
    in["bits"] = r.WaveFile.empty() ? Json(r.Bits) : Json(nullptr);
    in["swing_V"] = study.Drive.Swing();
    in["channel"] = study.Link.Description();
    in["channel_taps"] = study.Link.Taps().size();
    in["loss_dB"] = Optional(r.LossDb);
    in["impulse_file"] = Text(r.ImpulseFile);
    in["touchstone_file"] = Text(r.TouchstoneFile);
    in["s4p_order"] = r.TouchstoneFile.empty() ? Json(nullptr) : Json(NameOf(r.PairOrder));
    in["tx_r_ohm"] = Optional(r.TxR);
    in["rx_r_ohm"] = Optional(r.RxR);
    in["response_bits"] = r.ResponseBits;
    in["skip_bits"] = Optional(r.SkipBits);
    in["rj_UI"] = r.RjUi;
    in["sj_UI"] = r.SjUi;
    in["sj_freq_Hz"] = r.SjHz;
    in["noise_V"] = r.NoiseRms;
    in["seed"] = r.Seed;
    in["target_ber"] = r.TargetBer;
    if (r.HasReceiverAfter())
        in["receiver"] = {{"library", study.Rx.LibraryPath}, {"ami_file", study.Rx.AmiPath},
                          {"root", study.Rx.Ami.RootName}, {"parameters", study.Rx.Parameters},
                          {"applied", study.Rx.Flow()}};
    else
        in["receiver"] = nullptr;
    return in;
}

Json Eye(const EyeResult& eye, int samplesPerBit)
{
    const bool open = eye.Valid && eye.Height > 0.0;
    return {{"measured", eye.Valid},
            {"open", open},
            {"height_V", eye.Valid ? Number(eye.Height) : Json(nullptr)},
            {"width_UI", eye.Valid ? Number(eye.Width) : Json(nullptr)},
            {"sampling_UI", eye.Valid ? Json(static_cast<double>(eye.Latency) / samplesPerBit) : Json(nullptr)},
            {"threshold_V", eye.Valid ? Number(eye.Threshold) : Json(nullptr)},
            {"bits_measured", eye.BitCount},
            {"bits_skipped", eye.FirstBit}};
}

Json Ber(const BerResult& ber)
{
    return {{"measured", ber.Valid},
            {"target_ber", ber.TargetBer},
            {"open", ber.Valid && ber.Height > 0.0},
            {"height_V", ber.Valid ? Number(ber.Height) : Json(nullptr)},
            {"width_UI", ber.Valid ? Number(ber.Width) : Json(nullptr)},
            {"one_level_V", ber.Valid ? Number(ber.OneLevel) : Json(nullptr)},
            {"zero_level_V", ber.Valid ? Number(ber.ZeroLevel) : Json(nullptr)},
            {"bits_measured", ber.BitCount}};
}

Json Bathtub(const BerResult& ber)
{
    Json phase = Json::array();
    Json rate = Json::array();
    for (std::size_t i = 0; i < ber.Phase.size() && i < ber.Ber.size(); ++i) {
        phase.push_back(Number(ber.Phase[i]));
        rate.push_back(Number(ber.Ber[i]));
    }
    return {{"phase_UI", phase}, {"ber", rate}};
}

Json Head(const char* command, const Study& study)
{
    return {{"tool", "amihost"}, {"version", SummaryJson::Version()}, {"command", command},
            {"inputs", Inputs(study)}};
}

// The report's files, then the two that the command adds after composing them.
Json Files(const CommandReport& report, const char* summary)
{
    Json files = Json::array();
    for (const CommandReport::File& file : report.Files)
        files.push_back(file.first);
    files.push_back(summary);
    files.push_back("index.html");
    return files;
}

std::string Dumped(const Json& json)
{
    // replace: a path or a model's message need not be UTF-8, and dump must not throw.
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace

const char* SummaryJson::Version() { return AMIHOST_VERSION; }

std::string SummaryJson::Run(const Study& study, const SimulationResult& result, const CommandReport& report)
{
    const HostRequest& r = study.Request();
    Json json = Head("run", study);
    Json out;
    out["ami_init"] = {{"returned", 1}, {"message", result.Message}, {"parameters_out", Text(result.ParametersOut)}};
    out["receiver_ami_init"] = r.HasReceiverAfter() ? Json{{"returned", 1}, {"message", result.RxMessage}}
                                                    : Json(nullptr);
    out["deemphasis_dB"] = r.ModelIsReceiver ? Json(nullptr) : Number(result.DeemphasisDb);
    const bool clocked = result.Clocked();
    out["eye_sampled_at"] = clocked ? "receiver clock times" : "best fixed latency";
    out["receiver_clock_times"] = result.ClockCount;
    out["eye"] = Eye(result.Eye, r.SamplesPerBit);
    out["eye_fixed_latency"] = clocked ? Eye(result.FixedEye, r.SamplesPerBit) : Json(nullptr);
    out["eye_over_swing"] = Number(result.RelativeEye);
    out["ber"] = Ber(result.Ber);
    out["bathtub"] = Bathtub(result.Ber);
    out["steady_level"] = Number(result.SteadyLevel);
    out["steady_after_bits"] = study.WindowBits();
    json["results"] = out;
    // How fast the stimulus passed, and the model's own share: timings, not
    // results (they differ from run to run).
    const double samples = static_cast<double>(study.Drive.TotalSamples());
    json["speed"] = {{"stimulus_samples", study.Drive.TotalSamples()},
                     {"seconds", result.Seconds},
                     {"model_getwave_seconds", result.ModelSeconds},
                     {"samples_per_s", result.Seconds > 0.0 ? Json(samples / result.Seconds) : Json(nullptr)},
                     {"model_samples_per_s",
                      result.ModelSeconds > 0.0 ? Json(samples / result.ModelSeconds) : Json(nullptr)}};
    json["warnings"] = report.Warnings;
    json["files"] = Files(report, "summary.json");
    return Dumped(json);
}

std::string SummaryJson::Sweep(const Study& study, const std::string& key, const std::vector<SweepReport::Row>& rows,
                               std::size_t best, const CommandReport& report)
{
    const int samplesPerBit = study.Request().SamplesPerBit;
    Json json = Head("sweep", study);
    json["inputs"]["swept"] = key;
    Json settings = Json::array();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SweepReport::Row& row = rows[i];
        settings.push_back({{"value", row.Value},
                            {"best", i == best},
                            {"deemphasis_dB", Number(row.DeemphasisDb)},
                            {"eye", Eye(row.Eye, samplesPerBit)},
                            {"eye_over_swing", Number(row.RelativeEye)},
                            {"ber", Ber(row.Ber)},
                            {"steady_level", Number(row.SteadyLevel)},
                            {"warning", Text(row.Warning)},
                            {"bathtub", Bathtub(row.Ber)}});
    }
    Json out;
    out["swept"] = key;
    out["best"] = best < rows.size() ? Json(rows[best].Value) : Json(nullptr);
    out["best_rule"] = SweepReport::BestRule();
    out["settings"] = settings;
    json["results"] = out;
    json["warnings"] = report.Warnings;
    json["files"] = Files(report, "sweep.json");
    return Dumped(json);
}

#include "tools/amihost/report/RunReport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "tools/amihost/eye/GaussianTail.h"
#include "tools/amihost/plot/ResponsePlot.h"

namespace {

// `value` as printf's %.<digits>g writes it (std::to_chars with a precision
// is specified so), without printf's cost: wave.csv holds up to millions.
void Append(std::string& text, double value, int digits, char after)
{
    char buffer[40];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    text.append(buffer, written.ptr);
    text += after;
}

} // namespace

std::string RunReport::WaveCsv(const SimulationConfig& config, const SimulationResult& result)
{
    const double dt = config.SampleInterval();
    const std::size_t rows = std::min({result.Stimulus.size(), result.Output.size(), result.Received.size()});
    std::string wave = "time_s,stimulus,model_output,at_eye\n";
    wave.reserve(rows * 72);
    for (std::size_t i = 0; i < rows; ++i) {
        Append(wave, static_cast<double>(i) * dt, 9, ',');
        Append(wave, result.Stimulus[i], 17, ',');
        Append(wave, result.Output[i], 17, ',');
        Append(wave, result.Received[i], 17, '\n');
    }
    return wave;
}

std::string RunReport::StepCsv(const SimulationConfig& config, const SimulationResult& result)
{
    const double dt = config.SampleInterval();
    const bool receiver = config.ModelRole == SimulationConfig::Receiver;
    std::string step = receiver ? "time_s,step_at_eye,pulse_at_eye\n"
                                : "time_s,step_model_output,step_at_eye,pulse_at_eye\n";
    char line[160];
    for (std::size_t i = 0; i < result.RxStep.size(); ++i) {
        if (receiver)
            std::snprintf(line, sizeof line, "%.9g,%.17g,%.17g\n", static_cast<double>(i) * dt, result.RxStep[i],
                          result.Pulse[i]);
        else
            std::snprintf(line, sizeof line, "%.9g,%.17g,%.17g,%.17g\n", static_cast<double>(i) * dt,
                          result.TxStep[i], result.RxStep[i], result.Pulse[i]);
        step += line;
    }
    return step;
}

std::string RunReport::BathtubCsv(const BerResult& ber)
{
    std::string table = "phase_ui,ber,opening\n";
    char line[120];
    if (ber.Valid)
        for (std::size_t i = 0; i < ber.Phase.size() && i < ber.Ber.size() && i < ber.Opening.size(); ++i) {
            std::snprintf(line, sizeof line, "%.17g,%.17g,%.17g\n", ber.Phase[i], ber.Ber[i], ber.Opening[i]);
            table += line;
        }
    return table;
}

std::string RunReport::StepSvg(const SimulationConfig& config, const SimulationResult& result,
                               const std::string& title, const std::string& subtitle)
{
    std::vector<ResponsePlot::Curve> curves;
    if (config.ModelRole != SimulationConfig::Receiver)
        curves.push_back({"model output", result.TxStep});
    if (config.ModelRole == SimulationConfig::Receiver || !config.Link->IsNone())
        curves.push_back({"at the eye", result.RxStep});
    curves.push_back({"pulse at the eye", result.Pulse});
    std::size_t first = 0;
    std::size_t last = 0;
    ResponsePlot::Window(curves, config.SamplesPerBit, first, last);
    return ResponsePlot::Svg(curves, config.SampleInterval(), first, last, title, "output for a unit input step",
                             subtitle);
}

std::string RunReport::EyeLine(const EyeResult& eye, int samplesPerBit, bool clocked)
{
    if (!eye.Valid)
        return "not measured (no bits of one of the two symbols after the skipped ones)";
    char text[200];
    if (eye.Height > 0.0)
        std::snprintf(text, sizeof text, "height %.4f, width %.3f UI; %s %.2f UI after the bit starts, "
                      "%zu bits measured after %zu skipped",
                      eye.Height, eye.Width, clocked ? "sampled on average" : "best sampling",
                      static_cast<double>(eye.Latency) / samplesPerBit, eye.BitCount, eye.FirstBit);
    else
        std::snprintf(text, sizeof text, "closed (height %.4f at the best phase), %zu bits measured after %zu skipped",
                      eye.Height, eye.BitCount, eye.FirstBit);
    return text;
}

std::string RunReport::BerLine(const BerResult& ber, BerAnalysis::RandomPart random)
{
    char text[240];
    const char* how = random == BerAnalysis::RandomPart::Absent
                          ? "no noise, jitter or receiver model: the measured eye"
                          : "Gaussian tails of both levels fitted per phase on the Q scale";
    if (!ber.Valid)
        std::snprintf(text, sizeof text, "at %g: not measured (fewer than %zu bits of a symbol after the skipped ones)",
                      ber.TargetBer, 2 * GaussianTail::MinPoints);
    else if (ber.Height > 0.0)
        std::snprintf(text, sizeof text, "at %g: height %.4f, width %.3f UI (%s, %zu bits)", ber.TargetBer,
                      ber.Height, ber.Width, how, ber.BitCount);
    else
        std::snprintf(text, sizeof text, "at %g: closed (height %.4f at the best phase; Gaussian tails fitted per "
                      "phase, %zu bits)", ber.TargetBer, ber.Height, ber.BitCount);
    return text;
}

std::string RunReport::Decibels(double db)
{
    if (std::isnan(db))
        return "n/a";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", db);
    return text;
}

std::string RunReport::Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

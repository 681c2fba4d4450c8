#include "tools/amihost/plot/EyePlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/amihost/plot/PngImage.h"
#include "tools/amihost/plot/SvgPlot.h"

namespace {

constexpr int Columns = EyeDensity::Columns;
constexpr int Rows = EyeDensity::Rows;
constexpr double Margin = 200.0;    // right of the plot: colour bar, legend, figures
constexpr double BarHeight = 150.0; // pixels
const char* const WorstColour = "#ff4040";
const char* const ThresholdColour = "#ff9090";
const char* const BerColour = "#ffb000";

// log(1 + hits) / log(1 + peak): 0 for an empty cell, 1 at the peak.
double Shade(double hits, double peak) { return peak > 0.0 ? std::log1p(hits) / std::log1p(peak) : 0.0; }

void PutColour(std::vector<unsigned char>& rgb, double t)
{
    const std::string hex = SvgPlot::ColourMap(t); // "#rrggbb"
    for (int c = 0; c < 3; ++c)
        rgb.push_back(static_cast<unsigned char>(std::stoi(hex.substr(1 + 2 * c, 2), nullptr, 16)));
}

// The density as a bitmap, the top row at High.
std::string DensityImage(const EyeDensity& density)
{
    const double peak = density.Peak();
    std::vector<unsigned char> rgb;
    rgb.reserve(static_cast<std::size_t>(Columns) * Rows * 3);
    for (int row = Rows - 1; row >= 0; --row)
        for (int column = 0; column < Columns; ++column)
            PutColour(rgb, Shade(density.At(row, column), peak));
    return PngImage::DataUri(PngImage::Encode(Columns, Rows, rgb));
}

// The colour bar right of the plot, hits marked at powers of ten.
void ColourBar(SvgPlot& plot, double peak)
{
    const double x = plot.Right() + 14.0;
    const double top = plot.Top() + 18.0;
    constexpr int Steps = 128;
    std::vector<unsigned char> rgb;
    for (int i = Steps - 1; i >= 0; --i)
        PutColour(rgb, i / (Steps - 1.0));
    plot.Text(x - 2.0, plot.Top() + 6.0, "hits per cell (log scale)", "start", 11);
    plot.Image(x, top, 14.0, BarHeight, PngImage::DataUri(PngImage::Encode(1, Steps, rgb)));
    for (double hits = 1.0; peak > 0.0 && hits <= peak; hits *= 10.0) {
        char label[32];
        std::snprintf(label, sizeof label, "%g", hits);
        plot.Text(x + 20.0, top + BarHeight * (1.0 - Shade(hits, peak)) + 4.0, label, "start", 10);
    }
}

// The worst-case opening and threshold, and the opening at the target BER.
void Mark(SvgPlot& plot, const EyeResult& eye, const BerResult& ber)
{
    if (eye.Valid && eye.Height > 0.0) {
        plot.Line(-1.0, eye.Threshold, 1.0, eye.Threshold, ThresholdColour, 1.0, true);
        plot.Line(0.0, eye.Threshold - eye.Height / 2.0, 0.0, eye.Threshold + eye.Height / 2.0, WorstColour, 2.0);
    }
    if (ber.Valid && ber.Height > 0.0) {
        // Just right of its phase, so that both bars show when they coincide.
        const double at = ber.Phase[ber.Best] + 0.02;
        plot.Line(at, ber.ZeroLevel, at, ber.OneLevel, BerColour, 2.0);
        plot.Line(at - 0.03, ber.ZeroLevel, at + 0.03, ber.ZeroLevel, BerColour, 2.0);
        plot.Line(at - 0.03, ber.OneLevel, at + 0.03, ber.OneLevel, BerColour, 2.0);
    }
}

// Legend and figures right of the plot, below the colour bar.
void Explain(SvgPlot& plot, const EyeResult& eye, const BerResult& ber, std::size_t traces, const std::string& units)
{
    char target[32];
    std::snprintf(target, sizeof target, "%g", ber.TargetBer);
    std::vector<std::pair<std::string, std::string>> legend = {{"worst-case opening", WorstColour},
                                                               {"threshold", ThresholdColour}};
    if (ber.Valid)
        legend.emplace_back(std::string("opening at BER ") + target, BerColour);
    const double top = plot.Top() + BarHeight + 34.0;
    plot.Legend(legend, top);
    std::vector<std::string> lines;
    char text[96];
    if (eye.Valid && eye.Height > 0.0) {
        std::snprintf(text, sizeof text, "height %.4g %s, width %.3f UI", eye.Height, units.c_str(), eye.Width);
        lines.push_back(text);
    } else {
        lines.push_back(eye.Valid ? "eye closed" : "eye not measured");
    }
    if (ber.Valid) {
        lines.push_back(std::string("at BER ") + target + ":");
        if (ber.Height > 0.0)
            std::snprintf(text, sizeof text, "  %.4g %s, %.3f UI", ber.Height, units.c_str(), ber.Width);
        else
            std::snprintf(text, sizeof text, "  closed (%.4g %s)", ber.Height, units.c_str());
        lines.push_back(text);
    }
    std::snprintf(text, sizeof text, "%zu bits measured", eye.BitCount);
    lines.push_back(text);
    if (traces >= EyeDensity::MaxTraces) {
        std::snprintf(text, sizeof text, "(first %zu drawn)", traces);
        lines.push_back(text);
    }
    double y = top + 8.0 + 15.0 * static_cast<double>(legend.size()) + 22.0;
    for (const std::string& line : lines) {
        plot.Text(plot.Right() + 14.0, y, line, "start", 11);
        y += 15.0;
    }
}

} // namespace

std::string EyePlot::Svg(const EyeDensity& density, const EyeResult& eye, const BerResult& ber, const Frame& frame)
{
    SvgPlot plot(880, 480, frame.Title, frame.Subtitle, Margin);
    const bool own = !(frame.Low < frame.High);
    const double low = own ? density.Low() : frame.Low;
    const double high = own ? density.High() : frame.High;
    plot.SetRange(-1.0, 1.0, low, high);
    // The plot area in the background colour, the density over its own levels.
    plot.Rect(-1.0, low, 1.0, high, SvgPlot::ColourMap(0.0));
    const double top = std::max(plot.Top(), plot.Py(density.High()));
    const double bottom = std::min(plot.Bottom(), plot.Py(density.Low()));
    if (density.Traces() > 0 && bottom > top)
        plot.Image(plot.Left(), plot.Py(density.High()), plot.Right() - plot.Left(),
                   plot.Py(density.Low()) - plot.Py(density.High()), DensityImage(density));
    plot.Axes("time from the best sampling instant (UI)", "signal (" + frame.Units + ")");
    Mark(plot, eye, ber);
    ColourBar(plot, density.Peak());
    Explain(plot, eye, ber, density.Traces(), frame.Units);
    return plot.Finish();
}

std::string EyePlot::Svg(const std::vector<double>& wave, const EyeResult& eye, int samplesPerBit,
                         const std::string& title, const std::string& units)
{
    Frame frame;
    frame.Title = title;
    frame.Units = units;
    return Svg(EyeDensity::Measure(wave, eye, samplesPerBit), eye, BerResult(), frame);
}

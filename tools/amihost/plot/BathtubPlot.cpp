#include "tools/amihost/plot/BathtubPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/amihost/plot/SvgPlot.h"

namespace {

// One number in printf's `format` ("%.3f UI").
std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The curve's legend entry: its label and width at the target.
std::string Entry(const BathtubPlot::Curve& curve)
{
    const std::string width = !curve.Ber.Valid ? "not measured"
                              : curve.Ber.Width > 0.0 ? Format("%.3f UI", curve.Ber.Width)
                                                      : std::string("closed");
    return curve.Label.empty() ? width : curve.Label + ": " + width;
}

// The width at the target as a bar between the curve's walls.
void MarkWidth(SvgPlot& plot, const BerResult& ber)
{
    const double target = std::log10(ber.TargetBer);
    // Walk out from the best phase to where the opening turns negative.
    const std::vector<double>& o = ber.Opening;
    const double centre = ber.Phase[ber.Phase.size() / 2];
    std::size_t low = ber.Best;
    while (low > 0 && o[low - 1] >= 0.0)
        --low;
    std::size_t high = ber.Best;
    while (high + 1 < o.size() && o[high + 1] >= 0.0)
        ++high;
    auto crossing = [&](std::size_t in, std::size_t out) {
        return ber.Phase[in] + (ber.Phase[out] - ber.Phase[in]) * o[in] / (o[in] - o[out]) - centre;
    };
    const double left = low > 0 ? crossing(low, low - 1) : ber.Phase[0] - centre;
    const double right = high + 1 < o.size() ? crossing(high, high + 1) : ber.Phase.back() - centre;
    plot.Line(left, target, right, target, "#d62728", 2.5);
    // Below the bar, inside the tub: the curve is far lower there.
    plot.Text(plot.Px((left + right) / 2.0), plot.Py(target) + 18.0,
              "width at " + Format("%g", ber.TargetBer) + ": " + Format("%.3f UI", ber.Width), "middle", 12,
              "#d62728");
}

} // namespace

double BathtubPlot::Floor(double targetBer)
{
    return std::min(-16.0, std::floor(std::log10(targetBer)) - 4.0);
}

std::string BathtubPlot::Svg(const std::vector<Curve>& curves, const std::string& title, const std::string& subtitle)
{
    double target = 1e-12;
    for (const Curve& curve : curves)
        if (curve.Ber.Valid)
            target = curve.Ber.TargetBer;
    const double floor = Floor(target);
    std::vector<std::pair<std::string, std::string>> legend;
    for (std::size_t c = 0; c < curves.size(); ++c)
        legend.emplace_back(Entry(curves[c]), SvgPlot::ColourMap(
                                                  curves.size() > 1 ? 0.9 * static_cast<double>(c) / (curves.size() - 1)
                                                                    : 0.3));
    SvgPlot plot(curves.size() > 1 ? 820 : 720, 460, title, subtitle,
                 curves.size() > 1 ? SvgPlot::LegendWidth(legend) + 28.0 : 20.0);
    plot.SetRange(-0.5, 0.5, floor, 0.0);
    plot.Axes("sampling phase from the eye's centre (UI)", "bit error ratio", SvgPlot::Ticks::PowersOfTen);
    plot.Line(-0.5, std::log10(target), 0.5, std::log10(target), "#555", 1.0, true);
    for (std::size_t c = 0; c < curves.size(); ++c) {
        const BerResult& ber = curves[c].Ber;
        if (!ber.Valid)
            continue;
        std::vector<double> xs;
        std::vector<double> ys;
        for (std::size_t i = 0; i < ber.Phase.size(); ++i) {
            xs.push_back(ber.Phase[i] - ber.Phase[ber.Phase.size() / 2]);
            ys.push_back(ber.Ber[i] > 0.0 ? std::max(floor, std::log10(ber.Ber[i])) : floor);
        }
        plot.Polyline(xs, ys, legend[c].second, 2.0);
        if (curves.size() == 1 && ber.Width > 0.0)
            MarkWidth(plot, ber);
    }
    if (curves.size() > 1)
        plot.Legend(legend);
    else if (!curves.empty())
        plot.Text(plot.Left() + 8.0, plot.Bottom() - 10.0, "dashed: target BER " + Format("%g", target), "start", 11,
                  "#555");
    return plot.Finish();
}

#include "tools/amihost/plot/ResponsePlot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/amihost/plot/CommonScale.h"
#include "tools/amihost/plot/SvgPlot.h"

namespace {

// The finite extent of a curve over [first, last); false when it has none.
bool Extent(const ResponsePlot::Curve& curve, std::size_t first, std::size_t last, double& low, double& high)
{
    bool any = false;
    for (std::size_t i = first; i < std::min(last, curve.Values.size()); ++i)
        if (std::isfinite(curve.Values[i])) {
            low = any ? std::min(low, curve.Values[i]) : curve.Values[i];
            high = any ? std::max(high, curve.Values[i]) : curve.Values[i];
            any = true;
        }
    return any;
}

// The finite extent of every curve over [first, last).
std::vector<CommonScale::Extent> Extents(const std::vector<ResponsePlot::Curve>& curves, std::size_t first,
                                         std::size_t last)
{
    std::vector<CommonScale::Extent> extents(curves.size());
    for (std::size_t c = 0; c < curves.size(); ++c)
        extents[c].Valid = Extent(curves[c], first, last, extents[c].Low, extents[c].High);
    return extents;
}

// One panel: the curves `chosen` selects, on the range of their extents.
void Panel(SvgPlot& plot, const std::vector<ResponsePlot::Curve>& curves, const std::vector<bool>& chosen,
           const std::vector<std::string>& colours, double ns, std::size_t first, std::size_t last,
           const std::string& yLabel)
{
    std::vector<bool> left(chosen.size());
    for (std::size_t c = 0; c < chosen.size(); ++c)
        left[c] = !chosen[c];
    double low = 0.0;
    double high = 0.0;
    CommonScale::Range(Extents(curves, first, last), left, low, high);
    const double pad = (high - low) * 0.05;
    plot.SetRange(static_cast<double>(first) * ns, static_cast<double>(std::max(last, first + 1) - 1) * ns,
                  low - pad, high + pad);
    plot.Axes("time (ns)", yLabel);
    const std::size_t stride = std::max<std::size_t>(1, (last - std::min(first, last)) / 1000);
    for (std::size_t c = 0; c < curves.size(); ++c) {
        if (!chosen[c])
            continue;
        std::vector<double> xs;
        std::vector<double> ys;
        for (std::size_t i = first; i < std::min(last, curves[c].Values.size()); i += stride) {
            xs.push_back(static_cast<double>(i) * ns);
            ys.push_back(curves[c].Values[i]);
        }
        plot.Polyline(xs, ys, colours[c], 1.6);
    }
}

} // namespace

std::vector<bool> ResponsePlot::Outlying(const std::vector<Curve>& curves, std::size_t first, std::size_t last)
{
    return CommonScale::Outlying(Extents(curves, first, last));
}

std::string ResponsePlot::Svg(const std::vector<Curve>& curves, double sampleInterval, std::size_t first,
                              std::size_t last, const std::string& title, const std::string& yLabel,
                              const std::string& subtitle)
{
    const std::vector<bool> outlying = Outlying(curves, first, last);
    const bool split = std::find(outlying.begin(), outlying.end(), true) != outlying.end();
    std::vector<std::string> colours;
    std::vector<std::pair<std::string, std::string>> legend;
    for (std::size_t c = 0; c < curves.size(); ++c) {
        colours.push_back(
            SvgPlot::ColourMap(curves.size() > 1 ? 0.9 * static_cast<double>(c) / (curves.size() - 1) : 0.3));
        legend.emplace_back(curves[c].Label + (outlying[c] ? " (below)" : ""), colours[c]);
    }
    const bool keyed = legend.size() <= 20;
    const double margin = keyed ? SvgPlot::LegendWidth(legend) + 28.0 : 20.0;
    SvgPlot plot(static_cast<int>(700 + margin), split ? 780 : 460, title, subtitle, margin);
    const double ns = sampleInterval * 1e9;
    std::vector<bool> main(outlying.size());
    for (std::size_t c = 0; c < outlying.size(); ++c)
        main[c] = !outlying[c];
    if (split)
        plot.SetArea(plot.Left(), plot.Top(), plot.Right(), 400.0);
    Panel(plot, curves, main, colours, ns, first, last, yLabel);
    if (keyed)
        plot.Legend(legend);
    if (split) {
        plot.SetArea(plot.Left(), 480.0, plot.Right(), 730.0);
        plot.Text((plot.Left() + plot.Right()) / 2.0, 470.0, "settings far outside the others, on their own scale",
                  "middle", 13);
        Panel(plot, curves, outlying, colours, ns, first, last, yLabel);
    }
    return plot.Finish();
}

void ResponsePlot::Window(const std::vector<Curve>& curves, int samplesPerBit, std::size_t& first, std::size_t& last)
{
    std::size_t start = SIZE_MAX;
    std::size_t length = 0;
    for (const Curve& curve : curves) {
        length = std::max(length, curve.Values.size());
        const double final = curve.Values.empty() ? 0.0 : curve.Values.back();
        for (std::size_t i = 0; i < curve.Values.size(); ++i)
            if (std::fabs(curve.Values[i]) > 0.01 * std::fabs(final)) {
                start = std::min(start, i);
                break;
            }
    }
    const std::size_t spb = static_cast<std::size_t>(samplesPerBit);
    first = start == SIZE_MAX ? 0 : (start > 2 * spb ? start - 2 * spb : 0);
    last = std::min(length, first + 32 * spb);
}

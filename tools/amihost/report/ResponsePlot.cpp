#include "tools/amihost/report/ResponsePlot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/amihost/report/SvgPlot.h"

std::string ResponsePlot::Svg(const std::vector<Curve>& curves, double sampleInterval, std::size_t first,
                              std::size_t last, const std::string& title, const std::string& yLabel)
{
    SvgPlot plot(720, 460, title);
    double low = 0.0;
    double high = 0.0;
    bool any = false;
    for (const Curve& curve : curves)
        for (std::size_t i = first; i < std::min(last, curve.Values.size()); ++i)
            if (std::isfinite(curve.Values[i])) {
                low = any ? std::min(low, curve.Values[i]) : curve.Values[i];
                high = any ? std::max(high, curve.Values[i]) : curve.Values[i];
                any = true;
            }
    const double pad = (high - low) * 0.05;
    const double ns = sampleInterval * 1e9;
    plot.SetRange(static_cast<double>(first) * ns, static_cast<double>(std::max(last, first + 1) - 1) * ns,
                  low - pad, high + pad);
    plot.Axes("time (ns)", yLabel);
    const std::size_t stride = std::max<std::size_t>(1, (last - std::min(first, last)) / 1000);
    std::vector<std::pair<std::string, std::string>> legend;
    for (std::size_t c = 0; c < curves.size(); ++c) {
        const std::string colour =
            SvgPlot::ColourMap(curves.size() > 1 ? 0.9 * static_cast<double>(c) / (curves.size() - 1) : 0.3);
        std::vector<double> xs;
        std::vector<double> ys;
        for (std::size_t i = first; i < std::min(last, curves[c].Values.size()); i += stride) {
            xs.push_back(static_cast<double>(i) * ns);
            ys.push_back(curves[c].Values[i]);
        }
        plot.Polyline(xs, ys, colour, 1.6);
        legend.emplace_back(curves[c].Label, colour);
    }
    if (legend.size() <= 20)
        plot.Legend(legend);
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

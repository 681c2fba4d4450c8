#include "tools/amihost/report/EyePlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/amihost/report/SvgPlot.h"

namespace {

constexpr int Columns = EyePlot::Columns;
constexpr int Rows = EyePlot::Rows;

// Sample indices of the measured bits whose 2-UI window lies inside the wave.
std::vector<std::size_t> Centres(const std::vector<double>& wave, const EyeResult& eye, std::size_t spb)
{
    std::vector<std::size_t> centres;
    for (std::size_t k = std::max<std::size_t>(eye.FirstBit, 1);; ++k) {
        const std::size_t c = k * spb + eye.Latency;
        if (c + spb >= wave.size())
            return centres;
        centres.push_back(c);
    }
}

// The signal range of the windows, padded by 6 %; a flat signal gets 1 unit.
void Range(const std::vector<double>& wave, const std::vector<std::size_t>& centres, std::size_t spb, double& y0,
           double& y1)
{
    double low = 0.0;
    double high = 0.0;
    bool any = false;
    for (std::size_t c : centres)
        for (std::size_t i = c - spb; i <= c + spb; ++i) {
            low = any ? std::min(low, wave[i]) : wave[i];
            high = any ? std::max(high, wave[i]) : wave[i];
            any = true;
        }
    const double pad = (high - low) * 0.06;
    y0 = low - pad;
    y1 = high + pad;
    if (!(y1 > y0)) {
        y0 = low - 0.5;
        y1 = low + 0.5;
    }
}

// Hits per cell (row-major, Rows x Columns): every window interpolated onto
// the columns; each column spans from halfway to its left neighbour to
// halfway to its right one, so the trace is continuous.
std::vector<unsigned> Hits(const std::vector<double>& wave, const std::vector<std::size_t>& centres, std::size_t spb,
                           double y0, double y1)
{
    std::vector<unsigned> hits(static_cast<std::size_t>(Columns) * Rows, 0u);
    auto rowOf = [&](double v) {
        const double r = (v - y0) / (y1 - y0) * Rows;
        return std::clamp(static_cast<int>(std::floor(r)), 0, Rows - 1);
    };
    std::vector<int> rows(Columns);
    for (std::size_t c : centres) {
        for (int col = 0; col < Columns; ++col) {
            const double t = (-1.0 + 2.0 * (col + 0.5) / Columns) * static_cast<double>(spb);
            const double position = static_cast<double>(c) + t;
            const std::size_t i = static_cast<std::size_t>(std::floor(position));
            const double f = position - static_cast<double>(i);
            const double v = i + 1 < wave.size() ? wave[i] + (wave[i + 1] - wave[i]) * f : wave[i];
            rows[col] = rowOf(v);
        }
        for (int col = 0; col < Columns; ++col) {
            const int here = rows[col];
            const int before = (here + (col > 0 ? rows[col - 1] : here)) / 2;
            const int after = (here + (col + 1 < Columns ? rows[col + 1] : here)) / 2;
            for (int r = std::min({here, before, after}); r <= std::max({here, before, after}); ++r)
                ++hits[static_cast<std::size_t>(r) * Columns + col];
        }
    }
    return hits;
}

// The cells as shades 1 .. 8 growing with log(1 + hits), 0 for none; runs of
// equal shade in a row are one rectangle, which keeps files small.
void DrawDensity(SvgPlot& plot, const std::vector<unsigned>& hits, double y0, double y1)
{
    const unsigned most = *std::max_element(hits.begin(), hits.end());
    const double scale = most > 0 ? std::log1p(static_cast<double>(most)) : 1.0;
    auto shadeAt = [&](int r, int col) {
        const unsigned h = hits[static_cast<std::size_t>(r) * Columns + col];
        return h ? 1 + static_cast<int>(std::log1p(static_cast<double>(h)) / scale * 7.0) : 0;
    };
    const double cellW = 2.0 / Columns;
    const double cellH = (y1 - y0) / Rows;
    plot.Rect(-1.0, y0, 1.0, y1, "#10002a");
    for (int r = 0; r < Rows; ++r) {
        for (int col = 0; col < Columns;) {
            const int shade = shadeAt(r, col);
            int end = col + 1;
            while (end < Columns && shadeAt(r, end) == shade)
                ++end;
            if (shade > 0)
                plot.Rect(-1.0 + col * cellW, y0 + r * cellH, -1.0 + end * cellW, y0 + (r + 1) * cellH,
                          SvgPlot::ColourMap(0.25 + 0.75 * (shade - 1) / 7.0));
            col = end;
        }
    }
}

// The eye's opening and threshold, and its figures in the corner.
void Annotate(SvgPlot& plot, const EyeResult& eye, const std::string& units)
{
    char text[160];
    if (eye.Valid && eye.Height > 0.0) {
        plot.Line(0.0, eye.Threshold - eye.Height / 2.0, 0.0, eye.Threshold + eye.Height / 2.0, "#ff4040", 2.0);
        plot.Line(-1.0, eye.Threshold, 1.0, eye.Threshold, "#ff8080", 1.0, true);
        std::snprintf(text, sizeof text, "eye height %.4g %s, width %.3f UI, %zu bits", eye.Height,
                      units.c_str(), eye.Width, eye.BitCount);
    } else {
        std::snprintf(text, sizeof text, "eye closed (%zu bits)", eye.BitCount);
    }
    plot.Text(plot.Left() + 8.0, plot.Top() + 16.0, text, "start", 12, "#ffffff");
}

} // namespace

std::string EyePlot::Svg(const std::vector<double>& wave, const EyeResult& eye, int samplesPerBit,
                         const std::string& title, const std::string& units)
{
    SvgPlot plot(720, 460, title);
    const std::size_t spb = static_cast<std::size_t>(samplesPerBit > 0 ? samplesPerBit : 1);
    const std::vector<std::size_t> centres = Centres(wave, eye, spb);
    double y0 = 0.0;
    double y1 = 0.0;
    Range(wave, centres, spb, y0, y1);
    plot.SetRange(-1.0, 1.0, y0, y1);
    DrawDensity(plot, Hits(wave, centres, spb, y0, y1), y0, y1);
    plot.Axes("time from the best sampling instant (UI)", "signal (" + units + ")");
    Annotate(plot, eye, units);
    return plot.Finish();
}

#include "tools/amihost/plot/SvgPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::string Num(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

std::string Tick(double v, double step)
{
    char text[32];
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    std::snprintf(text, sizeof text, "%.*f", decimals, std::fabs(v) < step * 1e-6 ? 0.0 : v);
    return text;
}

// A step of 1, 2 or 5 times a power of ten giving about `count` intervals.
double NiceStep(double range, int count)
{
    const double raw = range / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / power;
    return (f < 1.5 ? 1.0 : f < 3.5 ? 2.0 : f < 7.5 ? 5.0 : 10.0) * power;
}

} // namespace

SvgPlot::SvgPlot(int width, int height, const std::string& title, const std::string& subtitle, double rightMargin)
    : width_(width), height_(height), left_(70.0), right_(width - rightMargin), top_(subtitle.empty() ? 40.0 : 58.0),
      bottom_(height - 50.0)
{
    body_ += "<rect x=\"0\" y=\"0\" width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) +
             "\" fill=\"white\"/>\n";
    Text(width / 2.0, 24.0, title, "middle", 15);
    if (!subtitle.empty())
        Text(width / 2.0, 43.0, subtitle, "middle", 12, "#555");
}

void SvgPlot::SetArea(double left, double top, double right, double bottom)
{
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
}

void SvgPlot::SetRange(double x0, double x1, double y0, double y1)
{
    if (!(x1 > x0)) {
        x0 -= 0.5;
        x1 = x0 + 1.0;
    }
    if (!(y1 > y0)) {
        const double pad = std::fabs(y0) > 0.0 ? std::fabs(y0) * 0.1 : 0.5;
        y0 -= pad;
        y1 = y0 + 2.0 * pad;
    }
    x0_ = x0;
    x1_ = x1;
    y0_ = y0;
    y1_ = y1;
}

double SvgPlot::Px(double x) const { return left_ + (x - x0_) / (x1_ - x0_) * (right_ - left_); }
double SvgPlot::Py(double y) const { return bottom_ - (y - y0_) / (y1_ - y0_) * (bottom_ - top_); }

void SvgPlot::Axes(const std::string& xLabel, const std::string& yLabel, Ticks yTicks)
{
    const double xs = NiceStep(x1_ - x0_, 8);
    for (double x = std::ceil(x0_ / xs) * xs; x <= x1_ + xs * 1e-9; x += xs) {
        body_ += "<line x1=\"" + Num(Px(x)) + "\" y1=\"" + Num(top_) + "\" x2=\"" + Num(Px(x)) + "\" y2=\"" +
                 Num(bottom_) + "\" stroke=\"#ddd\" stroke-width=\"1\"/>\n";
        Text(Px(x), bottom_ + 16.0, Tick(x, xs), "middle", 11);
    }
    const double ys = yTicks == Ticks::Linear ? NiceStep(y1_ - y0_, 6) : std::max(1.0, NiceStep(y1_ - y0_, 6));
    for (double y = std::ceil(y0_ / ys) * ys; y <= y1_ + ys * 1e-9; y += ys) {
        body_ += "<line x1=\"" + Num(left_) + "\" y1=\"" + Num(Py(y)) + "\" x2=\"" + Num(right_) + "\" y2=\"" +
                 Num(Py(y)) + "\" stroke=\"#ddd\" stroke-width=\"1\"/>\n";
        Text(left_ - 6.0, Py(y) + 4.0, yTicks == Ticks::Linear ? Tick(y, ys) : "1e" + Tick(y, 1.0), "end", 11);
    }
    body_ += "<rect x=\"" + Num(left_) + "\" y=\"" + Num(top_) + "\" width=\"" + Num(right_ - left_) +
             "\" height=\"" + Num(bottom_ - top_) + "\" fill=\"none\" stroke=\"#444\" stroke-width=\"1\"/>\n";
    Text((left_ + right_) / 2.0, bottom_ + 38.0, xLabel, "middle", 12);
    body_ += "<text x=\"16\" y=\"" + Num((top_ + bottom_) / 2.0) +
             "\" font-family=\"sans-serif\" font-size=\"12\" fill=\"#222\" text-anchor=\"middle\" "
             "transform=\"rotate(-90 16 " +
             Num((top_ + bottom_) / 2.0) + ")\">" + Escape(yLabel) + "</text>\n";
}

void SvgPlot::Polyline(const std::vector<double>& xs, const std::vector<double>& ys, const std::string& color,
                       double strokeWidth, double opacity)
{
    std::string points;
    auto flush = [&]() {
        if (!points.empty())
            body_ += "<polyline fill=\"none\" stroke=\"" + color + "\" stroke-width=\"" + Num(strokeWidth) +
                     "\" stroke-opacity=\"" + Tick(opacity, 0.01) + "\" points=\"" + points + "\"/>\n";
        points.clear();
    };
    const std::size_t n = std::min(xs.size(), ys.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
            flush();
            continue;
        }
        // Clamped to a margin around the canvas so wild values stay drawable.
        const double px = std::clamp(Px(xs[i]), -1000.0, width_ + 1000.0);
        const double py = std::clamp(Py(ys[i]), -1000.0, height_ + 1000.0);
        points += (points.empty() ? "" : " ") + Num(px) + "," + Num(py);
    }
    flush();
}

void SvgPlot::Line(double x0, double y0, double x1, double y1, const std::string& color, double strokeWidth,
                   bool dashed)
{
    body_ += "<line x1=\"" + Num(Px(x0)) + "\" y1=\"" + Num(Py(y0)) + "\" x2=\"" + Num(Px(x1)) + "\" y2=\"" +
             Num(Py(y1)) + "\" stroke=\"" + color + "\" stroke-width=\"" + Num(strokeWidth) + "\"" +
             (dashed ? " stroke-dasharray=\"5,4\"" : "") + "/>\n";
}

void SvgPlot::Rect(double x0, double y0, double x1, double y1, const std::string& fill, double opacity)
{
    const double px0 = std::min(Px(x0), Px(x1));
    const double py0 = std::min(Py(y0), Py(y1));
    body_ += "<rect x=\"" + Num(px0) + "\" y=\"" + Num(py0) + "\" width=\"" + Num(std::fabs(Px(x1) - Px(x0))) +
             "\" height=\"" + Num(std::fabs(Py(y1) - Py(y0))) + "\" fill=\"" + fill + "\"" +
             (opacity < 1.0 ? " fill-opacity=\"" + Tick(opacity, 0.01) + "\"" : std::string()) + "/>\n";
}

void SvgPlot::Text(double px, double py, const std::string& text, const char* anchor, int size,
                   const std::string& color)
{
    body_ += "<text x=\"" + Num(px) + "\" y=\"" + Num(py) + "\" font-family=\"sans-serif\" font-size=\"" +
             std::to_string(size) + "\" fill=\"" + color + "\" text-anchor=\"" + anchor + "\">" + Escape(text) +
             "</text>\n";
}

void SvgPlot::Image(double px, double py, double width, double height, const std::string& dataUri)
{
    body_ += "<image x=\"" + Num(px) + "\" y=\"" + Num(py) + "\" width=\"" + Num(width) + "\" height=\"" +
             Num(height) + "\" preserveAspectRatio=\"none\" xlink:href=\"" + Escape(dataUri) + "\"/>\n";
}

double SvgPlot::LegendWidth(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::size_t longest = 0;
    for (const auto& entry : entries)
        longest = std::max(longest, entry.first.size());
    return 34.0 + 6.5 * static_cast<double>(longest);
}

void SvgPlot::Legend(const std::vector<std::pair<std::string, std::string>>& entries, double top)
{
    if (entries.empty())
        return;
    const double w = LegendWidth(entries);
    const double h = 8.0 + 15.0 * static_cast<double>(entries.size());
    const bool outside = width_ - right_ >= w + 16.0;
    const double x = outside ? right_ + 12.0 : right_ - w - 8.0;
    const double y = top >= 0.0 ? top : outside ? top_ : top_ + 8.0;
    body_ += "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(w) + "\" height=\"" + Num(h) +
             "\" fill=\"white\" fill-opacity=\"0.85\" stroke=\"#999\"/>\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const double row = y + 15.0 * static_cast<double>(i) + 14.0;
        body_ += "<line x1=\"" + Num(x + 6.0) + "\" y1=\"" + Num(row - 4.0) + "\" x2=\"" + Num(x + 24.0) +
                 "\" y2=\"" + Num(row - 4.0) + "\" stroke=\"" + entries[i].second + "\" stroke-width=\"2.5\"/>\n";
        Text(x + 29.0, row, entries[i].first, "start", 11);
    }
}

std::string SvgPlot::Finish()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
           "xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\" width=\"" +
           std::to_string(width_) + "\" height=\"" + std::to_string(height_) + "\" viewBox=\"0 0 " +
           std::to_string(width_) + " " + std::to_string(height_) + "\">\n" + body_ + "</svg>\n";
}

std::string SvgPlot::ColourMap(double t)
{
    // Five anchors of a blue-green-yellow map, interpolated in RGB.
    static const int anchors[5][3] = {{68, 1, 84}, {59, 82, 139}, {33, 145, 140}, {94, 201, 98}, {253, 231, 37}};
    t = std::clamp(std::isfinite(t) ? t : 0.0, 0.0, 1.0) * 4.0;
    const int i = std::min(3, static_cast<int>(t));
    const double f = t - i;
    char text[8];
    int rgb[3];
    for (int c = 0; c < 3; ++c)
        rgb[c] = static_cast<int>(std::lround(anchors[i][c] + (anchors[i + 1][c] - anchors[i][c]) * f));
    std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
    return text;
}

std::string SvgPlot::Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // Control characters are not allowed in XML 1.0 text, and bytes
            // beyond ASCII may not form valid UTF-8.
            if (static_cast<unsigned char>(c) >= 0x80)
                out += '?';
            else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
                out += c;
        }
    }
    return out;
}

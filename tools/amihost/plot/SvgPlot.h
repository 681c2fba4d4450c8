#pragma once

#include <string>
#include <vector>

// A small SVG 1.1 writer for x-y plots: a frame with ticks and labels,
// polylines, rectangles and text, in data coordinates mapped linearly onto
// the plot area. Text is XML-escaped; numbers are written with few digits so
// files stay small. Finish() returns a complete, standalone document.
class SvgPlot {
public:
    // How the y axis labels its ticks: as they are, or as powers of ten
    // (a tick at -12 reads "1e-12"), for data plotted as log10.
    enum class Ticks { Linear, PowersOfTen };

    // A canvas of `width` x `height` pixels with `title` on top and, when
    // given, `subtitle` in smaller type beneath it. The plot area leaves
    // room for both, for tick labels on the left and below, and for
    // `rightMargin` pixels on the right (a legend or a colour bar).
    SvgPlot(int width, int height, const std::string& title, const std::string& subtitle = std::string(),
            double rightMargin = 20.0);

    // Moves the plot area (pixels), for a second panel on the same canvas.
    void SetArea(double left, double top, double right, double bottom);

    // Data range of the plot area; an empty range is widened around its value.
    void SetRange(double x0, double x1, double y0, double y1);

    // Grid, frame, tick labels and axis labels.
    void Axes(const std::string& xLabel, const std::string& yLabel, Ticks yTicks = Ticks::Linear);

    // Points (xs[i], ys[i]) joined; non-finite points break the line.
    void Polyline(const std::vector<double>& xs, const std::vector<double>& ys, const std::string& color,
                  double strokeWidth, double opacity = 1.0);
    void Line(double x0, double y0, double x1, double y1, const std::string& color, double strokeWidth,
              bool dashed = false);
    // Rectangle between two data corners.
    void Rect(double x0, double y0, double x1, double y1, const std::string& fill, double opacity = 1.0);
    // Text at pixel position; anchor "start", "middle" or "end".
    void Text(double px, double py, const std::string& text, const char* anchor = "start", int size = 12,
              const std::string& color = "#222");
    // A bitmap (a data URI, PngImage) stretched over the pixel rectangle
    // at (px, py) of `width` x `height`; the viewer interpolates between
    // its pixels.
    void Image(double px, double py, double width, double height, const std::string& dataUri);
    // A legend box, one row per entry: right of the plot area, clear of the
    // data, at pixel height `top` (default: the plot area's top) when the
    // right margin holds it; at the plot area's top right otherwise.
    void Legend(const std::vector<std::pair<std::string, std::string>>& labelsAndColors, double top = -1.0);
    // Pixel width of a legend with these entries.
    static double LegendWidth(const std::vector<std::pair<std::string, std::string>>& labelsAndColors);

    std::string Finish();

    double Px(double x) const; // data x to pixels
    double Py(double y) const; // data y to pixels
    double Left() const { return left_; }
    double Right() const { return right_; }
    double Top() const { return top_; }
    double Bottom() const { return bottom_; }

    // "#rrggbb" at position t (0 .. 1) along a perceptually ordered colour map.
    static std::string ColourMap(double t);
    static std::string Escape(const std::string& text);

private:
    int width_;
    int height_;
    double left_, right_, top_, bottom_; // plot area, pixels
    double x0_ = 0.0, x1_ = 1.0, y0_ = 0.0, y1_ = 1.0;
    std::string body_;
};

#pragma once

#include <string>
#include <vector>

// A small SVG 1.1 writer for x-y plots: a frame with ticks and labels,
// polylines, rectangles and text, in data coordinates mapped linearly onto
// the plot area. Text is XML-escaped; numbers are written with few digits so
// files stay small. Finish() returns a complete, standalone document.
class SvgPlot {
public:
    // A canvas of `width` x `height` pixels with `title` on top.
    SvgPlot(int width, int height, const std::string& title);

    // Data range of the plot area; an empty range is widened around its value.
    void SetRange(double x0, double x1, double y0, double y1);

    // Grid, frame, tick labels and axis labels.
    void Axes(const std::string& xLabel, const std::string& yLabel);

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
    // A legend box at the plot area's top right, one row per entry.
    void Legend(const std::vector<std::pair<std::string, std::string>>& labelsAndColors);

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

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tests/amihost/plot/TextCount.h"
#include "tools/amihost/plot/BathtubPlot.h"
#include "tools/amihost/plot/EyePlot.h"
#include "tools/amihost/plot/ResponsePlot.h"
#include "tools/amihost/plot/SvgPlot.h"
#include "tools/amihost/signal/Prbs.h"
#include "tools/amihost/signal/Stimulus.h"

namespace {

// Well-formed XML in the small subset the writer uses: one prolog, elements
// properly nested, attribute values quoted, no raw "<" or "&" in text.
bool WellFormed(const std::string& xml, std::string& why)
{
    std::vector<std::string> open;
    std::size_t i = xml.rfind("?>", 64) == std::string::npos ? 0 : xml.find("?>") + 2;
    bool root = false;
    while (i < xml.size()) {
        if (xml[i] == '&') {
            const std::size_t end = xml.find(';', i);
            const std::string entity = xml.substr(i, end == std::string::npos ? 1 : end - i + 1);
            if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;")
                return why = "bad entity at " + std::to_string(i), false;
            i = end + 1;
        } else if (xml[i] != '<') {
            ++i;
        } else {
            const std::size_t end = xml.find('>', i);
            if (end == std::string::npos)
                return why = "unclosed tag", false;
            const std::string tag = xml.substr(i + 1, end - i - 1);
            if (tag.find('<') != std::string::npos)
                return why = "\"<\" inside a tag", false;
            if (tag[0] == '/') {
                if (open.empty() || open.back() != tag.substr(1))
                    return why = "mismatched </" + tag.substr(1) + ">", false;
                open.pop_back();
            } else {
                const std::string name = tag.substr(0, tag.find_first_of(" /"));
                if (open.empty() && root)
                    return why = "second root", false;
                root = true;
                if (tag.back() != '/')
                    open.push_back(name);
                if (std::count(tag.begin(), tag.end(), '"') % 2 != 0)
                    return why = "odd quotes in <" + name + ">", false;
            }
            i = end + 1;
        }
    }
    if (!open.empty())
        return why = "<" + open.back() + "> never closed", false;
    return root;
}

// An eye measured open, sampled at `latency` from bit `first` on.
EyeResult OpenEye(std::size_t latency, std::size_t first)
{
    EyeResult eye;
    eye.Valid = true;
    eye.Height = 0.5;
    eye.Width = 0.8;
    eye.Latency = latency;
    eye.FirstBit = first;
    return eye;
}

} // namespace

TEST(SvgPlot, TextIsEscapedAndTheDocumentIsWellFormed)
{
    SvgPlot plot(300, 200, "a < b & \"c\" \x01\xff");
    plot.SetRange(0.0, 1.0, 5.0, 5.0); // an empty range is widened, not divided by
    plot.Axes("x", "y > 0");
    plot.Polyline({0.0, 0.5, std::nan(""), 1.0}, {5.0, 1e300, 5.0, 5.1}, "#123456", 1.0);
    plot.Legend({{"one & two", "#ff0000"}});
    const std::string svg = plot.Finish();
    std::string why;
    EXPECT_TRUE(WellFormed(svg, why)) << why;
    EXPECT_NE(svg.find("a &lt; b &amp; &quot;c&quot; ?"), std::string::npos);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
}

TEST(SvgPlot, EyesStaySmallWhateverTheNumberOfBits)
{
    const int spb = 32;
    for (std::size_t bits : {40u, 20000u}) {
        Stimulus s = Stimulus::Prbs(7, bits, spb, 1.0);
        for (std::size_t i = 1; i < s.Wave.size(); ++i)
            s.Wave[i] = 0.8 * s.Wave[i] + 0.2 * s.Wave[i - 1]; // some smoothing
        const std::string svg = EyePlot::Svg(s.Wave, OpenEye(16, 2), spb, "eye", "V");
        std::string why;
        EXPECT_TRUE(WellFormed(svg, why)) << why;
        EXPECT_LT(svg.size(), 600000u) << bits;
    }
    // No bits at all still gives a document.
    std::string why;
    EXPECT_TRUE(WellFormed(EyePlot::Svg({}, EyeResult(), spb, "empty", "V"), why)) << why;
}

TEST(SvgPlot, ResponsesAreOnePolylineEachWithALegend)
{
    std::vector<ResponsePlot::Curve> curves;
    for (int c = 0; c < 16; ++c)
        curves.push_back({"de = " + std::to_string(c), std::vector<double>(5000, 0.1 * c)});
    const std::string svg = ResponsePlot::Svg(curves, 1e-12, 100, 4000, "steps", "V");
    std::string why;
    EXPECT_TRUE(WellFormed(svg, why)) << why;
    EXPECT_EQ(Count(svg, "<polyline"), 16u);
    EXPECT_NE(svg.find("de = 15"), std::string::npos);
}

// The density is one bitmap (and the colour bar another), not a rectangle
// per cell; a common scale larger than the eye's own puts the bitmap
// inside the plot area.
TEST(SvgPlot, AnEyeIsOneInterpolatedBitmapWithItsColourBar)
{
    Stimulus s = Stimulus::Prbs(7, 400, 16, 1.0);
    const EyeResult eye = OpenEye(8, 2);
    EyePlot::Frame frame;
    frame.Title = "eye";
    frame.Low = -2.0;
    frame.High = 2.0;
    const std::string svg = EyePlot::Svg(EyeDensity::Measure(s.Wave, eye, 16), eye, BerResult(), frame);
    std::string why;
    EXPECT_TRUE(WellFormed(svg, why)) << why;
    EXPECT_EQ(Count(svg, "<image "), 2u);
    EXPECT_EQ(Count(svg, "data:image/png;base64,"), 2u);
    EXPECT_LT(Count(svg, "<rect "), 10u);
    EXPECT_NE(svg.find("hits per cell"), std::string::npos);
}

TEST(SvgPlot, BathtubsAreOneCurveEachOnALogScale)
{
    BerResult ber;
    ber.Valid = true;
    ber.TargetBer = 1e-12;
    ber.Phase = {-0.5, -0.25, 0.0, 0.25, 0.5};
    ber.Ber = {0.5, 1e-9, 0.0, 1e-14, 0.5};
    ber.Opening = {-1.0, -0.1, 0.3, 0.1, -1.0};
    ber.Best = 2;
    ber.Width = 0.4;
    const std::string one = BathtubPlot::Svg({{"", ber}}, "bathtub", "12.8 Gb/s");
    std::string why;
    EXPECT_TRUE(WellFormed(one, why)) << why;
    EXPECT_EQ(Count(one, "<polyline"), 1u);
    EXPECT_NE(one.find(">1e-12<"), std::string::npos);
    EXPECT_NE(one.find("width at 1e-12: 0.400 UI"), std::string::npos);
    const std::string several = BathtubPlot::Svg({{"de = 1", ber}, {"de = 2", BerResult()}, {"de = 3", ber}}, "b", "");
    EXPECT_TRUE(WellFormed(several, why)) << why;
    EXPECT_EQ(Count(several, "<polyline"), 2u);
    EXPECT_NE(several.find("de = 2: not measured"), std::string::npos);
    EXPECT_EQ(BathtubPlot::Floor(1e-12), -16.0);
    EXPECT_EQ(BathtubPlot::Floor(1e-15), -19.0);
}

// A setting fifty times the others gets a panel of its own below instead
// of flattening them.
TEST(SvgPlot, OutlyingResponsesMoveToASecondPanel)
{
    std::vector<ResponsePlot::Curve> curves;
    auto step = [](double level) {
        std::vector<double> values(400, level);
        std::fill(values.begin(), values.begin() + 100, 0.0);
        return values;
    };
    for (int c = 0; c < 6; ++c)
        curves.push_back({"de = " + std::to_string(c), step(0.5 + 0.02 * c)});
    curves[3].Values = step(25.0);
    EXPECT_EQ(ResponsePlot::Outlying(curves, 0, 400), (std::vector<bool>{false, false, false, true, false, false}));
    const std::string svg = ResponsePlot::Svg(curves, 1e-12, 0, 400, "steps", "V", "conditions");
    std::string why;
    EXPECT_TRUE(WellFormed(svg, why)) << why;
    EXPECT_NE(svg.find("de = 3 (below)"), std::string::npos);
    EXPECT_NE(svg.find("settings far outside the others"), std::string::npos);
    curves[3].Values = step(0.55);
    EXPECT_EQ(ResponsePlot::Svg(curves, 1e-12, 0, 400, "steps", "V").find("far outside"), std::string::npos);
}

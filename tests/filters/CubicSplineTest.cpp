#include "runtime/filters/CubicSpline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using TorvaneModelBuilder::CubicSpline;
using TorvaneModelBuilder::FitCubicSpline;
using TorvaneModelBuilder::QuadraticDerivative;

namespace {

double Cubic(double x) { return 0.5 * x * x * x - 2.0 * x * x + x - 3.0; }
double CubicSlope(double x) { return 1.5 * x * x - 4.0 * x + 1.0; }

struct Fit {
    std::vector<double> b, c, d;
    int result;
    Fit(const std::vector<double>& x, const std::vector<double>& y, int startCondition = 0,
        int endCondition = 0, double startSlope = 0.0, double endSlope = 0.0)
        : b(x.size()), c(x.size()), d(x.size())
    {
        result = FitCubicSpline(static_cast<int>(x.size()), startCondition, endCondition,
                                startSlope, endSlope, x.data(), y.data(), b.data(), c.data(),
                                d.data());
    }
    double At(const std::vector<double>& x, const std::vector<double>& y, std::size_t i,
              double t) const
    {
        const double u = t - x[i];
        return y[i] + b[i] * u + c[i] * u * u + d[i] * u * u * u;
    }
};

} // namespace

TEST(CubicSpline, FitRefusesTooFewPointsAndUnorderedOrNaNAbscissae)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Fit({0.0}, {1.0}).result, 1);
    EXPECT_EQ(Fit({0.0, 1.0, 1.0}, {0.0, 1.0, 2.0}).result, 2);
    EXPECT_EQ(Fit({0.0, nan, 2.0, 3.0}, {0.0, 1.0, 2.0, 3.0}).result, 2);

    CubicSpline spline;
    const double xs[] = {0.0, 1.0, 1.0}, ys[] = {0.0, 1.0, 2.0};
    EXPECT_EQ(spline.Evaluate(3, 0.5, xs, ys), 0.0);
    EXPECT_EQ(spline.Status, 2);
    const double nanXs[] = {0.0, 1.0, nan, 3.0}, nanYs[] = {0.0, 1.0, 2.0, 3.0};
    EXPECT_EQ(spline.Evaluate(4, 2.5, nanXs, nanYs), 0.0); // refused, not searched forever
    EXPECT_EQ(spline.Status, 2);
}

TEST(CubicSpline, TwoPointsGiveTheLineAndThreeTheParabola)
{
    const Fit line({1.0, 3.0}, {2.0, 6.0});
    EXPECT_EQ(line.result, 0);
    EXPECT_EQ(line.b, (std::vector<double>{2.0, 2.0}));
    EXPECT_EQ(line.c, (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(line.d, (std::vector<double>{0.0, 0.0}));

    const std::vector<double> x{0.0, 1.0, 3.0}, y{0.0, 1.0, 9.0};
    const Fit parabola(x, y);
    EXPECT_EQ(parabola.result, 0);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(parabola.b[i], 2.0 * x[i], 1e-12);
        EXPECT_NEAR(parabola.c[i], 1.0, 1e-12);
        EXPECT_NEAR(parabola.d[i], 0.0, 1e-12);
    }
    CubicSpline spline;
    EXPECT_NEAR(spline.Evaluate(3, 2.0, x.data(), y.data()), 4.0, 1e-12);
    EXPECT_EQ(spline.Status, 0);
}

TEST(CubicSpline, DefaultOrClampedEndsReproduceACubicOnEveryInterval)
{
    const std::vector<double> x{-1.0, -0.25, 0.5, 2.0, 2.125, 3.5, 5.0};
    std::vector<double> y;
    for (double v : x)
        y.push_back(Cubic(v));
    const Fit natural(x, y);
    const Fit clamped(x, y, 1, 1, CubicSlope(x.front()), CubicSlope(x.back()));
    for (std::size_t i = 0; i + 1 < x.size(); ++i)
        for (double f : {0.0, 0.3, 0.9}) {
            const double t = x[i] + f * (x[i + 1] - x[i]);
            EXPECT_NEAR(natural.At(x, y, i, t), Cubic(t), 1e-10) << t;
            EXPECT_NEAR(clamped.At(x, y, i, t), Cubic(t), 1e-10) << t;
        }
}

TEST(CubicSpline, EvaluateFindsTheIntervalExtrapolatesAndReusesItsWorkspace)
{
    const std::vector<double> x{0.0, 0.5, 1.75, 2.0, 4.0, 4.5};
    std::vector<double> y;
    for (double v : x)
        y.push_back(Cubic(v));
    CubicSpline spline;
    // Left of every knot, inside each interval, on a knot, right of every knot.
    for (double t : {-1.5, 0.25, 1.0, 1.75, 1.9, 3.0, 4.25, 4.5, 6.0})
        EXPECT_NEAR(spline.Evaluate(6, t, x.data(), y.data()), Cubic(t), 1e-9) << t;
    EXPECT_EQ(spline.Capacity, 6u);
    EXPECT_NEAR(spline.Evaluate(4, 1.0, x.data(), y.data()), Cubic(1.0), 1e-12);
    EXPECT_EQ(spline.Capacity, 6u);
}

TEST(CubicSpline, QuadraticDerivativeIsExactForAQuadraticOnUnevenPoints)
{
    const double x[] = {0.5, 0.75, 2.0};
    double y[3];
    for (int i = 0; i < 3; ++i)
        y[i] = 3.0 * x[i] * x[i] - 2.0 * x[i] + 5.0;
    for (double t : {0.0, 0.5, 1.0, 2.0, 3.0})
        EXPECT_NEAR(QuadraticDerivative(t, x, y), 6.0 * t - 2.0, 1e-12) << t;
}

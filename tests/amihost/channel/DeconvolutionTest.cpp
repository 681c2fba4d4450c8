#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/amihost/channel/Deconvolution.h"
#include "tools/amihost/channel/LossyLine.h"

namespace {

// y = x (*) r, cut to x's length: the naive sum.
std::vector<double> Convolve(const std::vector<double>& x, const std::vector<double>& r)
{
    std::vector<double> y(x.size(), 0.0);
    for (std::size_t i = 0; i < x.size(); ++i)
        for (std::size_t k = 0; k <= i && k < r.size(); ++k)
            y[i] += r[k] * x[i - k];
    return y;
}

double Largest(const std::vector<double>& v)
{
    double m = 0.0;
    for (double x : v)
        m = std::max(m, std::fabs(x));
    return m;
}

// A receiver's equaliser: a boost of the first tap against a decaying tail.
std::vector<double> Equaliser(std::size_t n)
{
    std::vector<double> r(n, 0.0);
    for (std::size_t k = 0; k < 64 && k < n; ++k)
        r[k] = 1.6 * std::pow(0.8, k) - 0.9 * std::pow(0.7, k);
    return r;
}

const double Unit[1] = {1.0};

} // namespace

TEST(Deconvolution, RecoversAnEqualiserFromItsConvolutionWithALossyLine)
{
    for (double loss : {0.0, 10.0, 25.0}) {
        std::vector<double> x;
        std::string error;
        ASSERT_TRUE(LossyLine::Design(loss, 1e-10, 1e-10 / 16, 400, x, error)) << error;
        x.resize(1024, 0.0); // room for the equaliser's tail, as the host leaves it
        const std::vector<double> r = Equaliser(x.size());
        const std::vector<double> y = Convolve(x, r);
        std::vector<double> found(x.size());
        DeconvolveCausal(y.data(), x.data(), x.size(), Unit, 1, 1e-9, found.data());
        double worst = 0.0;
        for (std::size_t i = 0; i < r.size(); ++i)
            worst = std::max(worst, std::fabs(found[i] - r[i]));
        EXPECT_LT(worst, 1e-8 * Largest(r)) << loss << " dB";
    }
}

// A transmitter's response t after a truncated line c: the line's spectrum
// dips to 1e-8 of its peak, yet c (*) r comes out near rounding, as the dips
// of c cancel against those of x = c (*) t (measured: 3.5e-12 of the peak;
// deconvolving r first and convolving it with c after gave 1.5e-7).
TEST(Deconvolution, ExchangingAStageCancelsTheDipsOfTheLineItHolds)
{
    std::vector<double> c;
    std::string error;
    ASSERT_TRUE(LossyLine::Design(12.0, 1e-10, 1e-10 / 16, 4096, c, error)) << error;
    std::vector<double> x = Convolve(c, {0.5, 0.3, 0.2});
    x.push_back(0.3 * c.back() + 0.2 * c[c.size() - 2]);
    x.push_back(0.2 * c.back());
    x.resize(x.size() + 768, 0.0);
    const std::vector<double> r = Equaliser(x.size());
    const std::vector<double> y = Convolve(x, r);
    std::vector<double> padded = c;
    padded.resize(x.size(), 0.0);
    const std::vector<double> expected = Convolve(padded, r);
    std::vector<double> found(x.size());
    DeconvolveCausal(y.data(), x.data(), x.size(), c.data(), c.size(), 1e-9, found.data());
    double worst = 0.0;
    for (std::size_t i = 0; i < found.size(); ++i)
        worst = std::max(worst, std::fabs(found[i] - expected[i]));
    EXPECT_LT(worst, 1e-10 * Largest(expected));
}

// Where x has a null, r cannot be seen; the estimate stays bounded and
// reproduces y through x but for that unseen part: at half the sample rate,
// R(pi) / M spread as (-1)^i over the grid of M = 512 points, cut to the n
// values kept.
TEST(Deconvolution, AResponseThatTheInputCannotShowStaysBounded)
{
    std::vector<double> x(256, 0.0);
    x[0] = 0.5;
    x[1] = 0.5; // zero at half the sample rate
    const std::vector<double> r = Equaliser(x.size());
    const std::vector<double> y = Convolve(x, r);
    std::vector<double> found(x.size());
    DeconvolveCausal(y.data(), x.data(), x.size(), Unit, 1, 1e-9, found.data());
    for (double v : found)
        ASSERT_TRUE(std::isfinite(v));
    EXPECT_LT(Largest(found), 10.0 * Largest(r));
    double unseen = 0.0;
    for (std::size_t k = 0; k < r.size(); ++k)
        unseen += k % 2 ? -r[k] : r[k];
    const std::vector<double> again = Convolve(x, found);
    for (std::size_t i = 0; i < y.size(); ++i)
        EXPECT_NEAR(again[i], y[i], std::fabs(unseen) / 512 + 1e-12) << i;
}

TEST(Deconvolution, AUnitInputGivesTheOutputBackAndNothingGivesNothing)
{
    std::vector<double> x(100, 0.0);
    x[0] = 1.0;
    const std::vector<double> y = Equaliser(x.size());
    std::vector<double> found(x.size());
    DeconvolveCausal(y.data(), x.data(), x.size(), Unit, 1, 1e-9, found.data());
    for (std::size_t i = 0; i < y.size(); ++i)
        EXPECT_NEAR(found[i], y[i], 1e-15) << i;

    const std::vector<double> zeros(8, 0.0);
    std::vector<double> none(8, 7.0);
    DeconvolveCausal(y.data(), zeros.data(), zeros.size(), Unit, 1, 1e-9, none.data());
    EXPECT_EQ(none, zeros);
    DeconvolveCausal(nullptr, nullptr, 0, Unit, 1, 1e-9, nullptr); // n = 0 touches nothing
}

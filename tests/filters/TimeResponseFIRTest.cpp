#include "runtime/filters/TimeResponseFIR.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using TorvaneModelBuilder::CubicSpline;
using TorvaneModelBuilder::QuadraticDerivative;
using TorvaneModelBuilder::TimeResponseFIR;

namespace {

const double Nan = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

// A filter over a table that the test owns, as the model owns its copies.
struct Table {
    std::vector<double> Stamps, Values;
    TimeResponseFIR Filter;
    bool Ok = false;
    std::string Messages;

    Table(std::vector<double> stamps, std::vector<double> values,
          TimeResponseFIR::ResponseKind type, double rate)
        : Stamps(std::move(stamps)), Values(std::move(values))
    {
        Filter.ResponseTimeStamps = Stamps.data();
        Filter.Response = Values.data();
        Filter.NumResponseTimeStamps = static_cast<int>(Stamps.size());
        Filter.NumResponse = static_cast<int>(Values.size());
        Filter.ResponseType = type;
        Filter.SampleRate = rate;
        Setup();
    }

    void Setup()
    {
        testing::internal::CaptureStderr();
        Ok = Filter.Setup();
        Messages = testing::internal::GetCapturedStderr();
    }

    std::vector<double> Taps() const
    {
        return std::vector<double>(Filter.Taps, Filter.Taps + Filter.NumTaps);
    }

    // One-sample ports, as the model wires its filters.
    double In = 0.0, Out = 0.0;
    void Start()
    {
        Filter.Input.Attach(&In, 1, 1, 0);
        Filter.Output.Attach(&Out, 1, 1, 0);
        ASSERT_TRUE(Filter.Initialize());
    }
    double Fire(double x)
    {
        In = x;
        EXPECT_TRUE(Filter.Run());
        return Out;
    }
};

constexpr auto Impulse = TimeResponseFIR::ImpulseResponse;
constexpr auto Step = TimeResponseFIR::StepResponse;

// Tap values by a fresh search per tap, as the taps are defined.
std::vector<double> FreshSearchTaps(const std::vector<double>& s, const std::vector<double>& r,
                                    bool impulse, double rate, int numTaps)
{
    const int n = static_cast<int>(s.size());
    std::vector<double> taps;
    CubicSpline spline;
    for (int i = 0; i < numTaps; ++i) {
        const double t = i / rate;
        int b = static_cast<int>(std::lower_bound(s.begin(), s.end(), t) - s.begin());
        b = std::min(b, n - 1);
        double v;
        if (impulse && s[b] == t)
            v = r[b];
        else {
            b = std::max(1, std::min(b, n - 3));
            v = impulse ? spline.Evaluate(4, t, &s[b - 1], &r[b - 1])
                        : QuadraticDerivative(t, &s[b - 1], &r[b - 1]);
        }
        taps.push_back(v / rate);
    }
    return taps;
}

} // namespace

TEST(TimeResponseFir, ImpulseTapsOnExactHitsAreTheValuesOverTheRate)
{
    Table t({0, 0.5, 1, 1.5}, {1, 2, 3, 4}, Impulse, 2.0);
    ASSERT_TRUE(t.Ok);
    EXPECT_EQ(t.Messages, "");
    EXPECT_EQ(t.Taps(), (std::vector<double>{0.5, 1, 1.5, 2}));

    // From here on it runs as the plain convolution of those taps.
    t.Start();
    std::vector<double> y;
    for (double x : {1.0, 0.0, 0.0, 0.0, 0.0, 2.0})
        y.push_back(t.Fire(x));
    EXPECT_EQ(y, (std::vector<double>{0.5, 1, 1.5, 2, 0, 1}));
}

TEST(TimeResponseFir, RampStepGivesConstantTapsIncludingBothEnds)
{
    Table t({0, 0.5, 1, 1.5}, {0, 1, 2, 3}, Step, 2.0);
    ASSERT_TRUE(t.Ok);
    ASSERT_EQ(t.Filter.NumTaps, 4);
    for (double tap : t.Taps())
        EXPECT_DOUBLE_EQ(tap, 1.0);
}

TEST(TimeResponseFir, CubicImpulseIsReproducedBetweenStamps)
{
    Table t({0, 1, 2, 3, 4}, {0, 1, 8, 27, 64}, Impulse, 2.0);
    ASSERT_TRUE(t.Ok);
    ASSERT_EQ(t.Filter.NumTaps, 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(t.Taps()[i], std::pow(i / 2.0, 3) / 2.0, 1e-12) << i;
    EXPECT_NEAR(t.Taps()[1], 0.0625, 1e-15);
    EXPECT_NEAR(t.Taps()[7], 21.4375, 1e-12);
}

TEST(TimeResponseFir, QuadraticStepGivesItsDerivativeUpToTheLastInterval)
{
    // s(t) = t^2 on uneven stamps: the local quadratic is exact, so the taps
    // are 2t / rate also where the window is clamped at either end.
    std::vector<double> s{0, 0.3, 0.5, 1.1, 1.2, 2.0}, r;
    for (double v : s)
        r.push_back(v * v);
    Table t(s, r, Step, 4.0);
    ASSERT_TRUE(t.Ok);
    ASSERT_EQ(t.Filter.NumTaps, 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(t.Taps()[i], 2.0 * (i / 4.0) / 4.0, 1e-12) << i;
}

TEST(TimeResponseFir, ForwardSearchMatchesAFreshSearchOnAnUnevenTable)
{
    // A smooth step and its derivative on a jittered grid, with a tap grid
    // that both lands between stamps and, for the impulse, hits some exactly.
    std::vector<double> s, step, impulse;
    for (int k = 0; k < 3000; ++k) {
        const double t = k * 1.0 + (k % 3 == 1 ? 0.37 : 0.0) + (k % 7 == 3 ? -0.21 : 0.0);
        s.push_back(t);
        step.push_back(1.0 - std::exp(-t / 250.0) * std::cos(t / 40.0));
        impulse.push_back(std::exp(-t / 250.0) * std::sin(t / 90.0));
    }
    for (double rate : {0.5, 0.73, 2.0}) {
        Table st(s, step, Step, rate), im(s, impulse, Impulse, rate);
        ASSERT_TRUE(st.Ok && im.Ok);
        EXPECT_EQ(st.Filter.NumTaps, static_cast<int>(s.back() * rate) + 1);
        EXPECT_EQ(st.Taps(), FreshSearchTaps(s, step, false, rate, st.Filter.NumTaps)) << rate;
        EXPECT_EQ(im.Taps(), FreshSearchTaps(s, impulse, true, rate, im.Filter.NumTaps)) << rate;
    }
}

TEST(TimeResponseFir, StampsAreShiftedToStartAtZeroInTheOwnersArray)
{
    Table late({7, 7.5, 8, 8.5}, {1, 2, 3, 4}, Impulse, 2.0);
    Table early({0, 0.5, 1, 1.5}, {1, 2, 3, 4}, Impulse, 2.0);
    ASSERT_TRUE(late.Ok);
    EXPECT_EQ(late.Stamps, (std::vector<double>{0, 0.5, 1, 1.5}));
    EXPECT_EQ(late.Taps(), early.Taps());

    // Setup again on the shifted table: nothing moves, the taps are rebuilt.
    late.Setup();
    EXPECT_TRUE(late.Ok);
    EXPECT_EQ(late.Stamps, (std::vector<double>{0, 0.5, 1, 1.5}));
    EXPECT_EQ(late.Taps(), early.Taps());
}

TEST(TimeResponseFir, TapCountTruncatesTheSpanTimesTheRate)
{
    Table t({0, 0.5, 1, 1.4}, {0, 1, 2, 3}, Step, 2.0);
    ASSERT_TRUE(t.Ok);
    EXPECT_EQ(t.Filter.NumTaps, 3);
}

TEST(TimeResponseFir, EachRefusalWritesItsOneMessage)
{
    const std::vector<double> four{0, 1, 2, 3};
    const auto expectRefusal = [](Table&& t, const std::string& message) {
        EXPECT_FALSE(t.Ok) << message;
        EXPECT_EQ(t.Messages, message + "\n");
        EXPECT_EQ(t.Filter.Taps, nullptr) << message;
    };
    expectRefusal(Table({0, 1}, {0, 1}, static_cast<TimeResponseFIR::ResponseKind>(2), 1.0),
                  "Inavlid ResponseType is specified, it can be either Impulse Response or "
                  "Step Response");
    expectRefusal(Table({0, 1, 2}, {0, 1, 2}, Step, 1.0),
                  "At least 4 response coefficients are required for input step response");
    expectRefusal(Table({0, 1, 2}, {0, 1, 2}, Impulse, 1.0),
                  "At least 4 response coefficients are required for input impulse response");
    expectRefusal(Table({0, 1, 2, 3, 4}, four, Step, 1.0),
                  "Number of coefficients in response must be same as the number of values in "
                  "time stamps");
    for (double rate : {0.0, -1.0, Nan})
        expectRefusal(Table(four, four, Step, rate), "SampleRate must be > 0.0");
    // The tap count must fit a 32-bit int: span * rate below 2^31 - 1.
    const std::string tooLarge =
        "SampleRate times the response time span must be a finite number below 2147483647";
    expectRefusal(Table({0, 0.25, 0.5, 1}, four, Step, 2147483647.0), tooLarge);
    expectRefusal(Table(four, four, Step, Inf), tooLarge);
    expectRefusal(Table({0, 1, 2, Inf}, four, Step, 1.0), tooLarge);
}

TEST(TimeResponseFir, OrderingMessageNamesBothStampsAsGivenAndStopsTheShift)
{
    Table repeated({5, 6, 7, 7}, {0, 1, 2, 3}, Step, 1.0);
    EXPECT_FALSE(repeated.Ok);
    EXPECT_EQ(repeated.Messages, "ResponseTimeStamps[4] = 7  <= ResponseTimeStamps[3] = 7. "
                                 "Time stamps must be in non-repeating ascending order.\n");

    // Up to the offending stamp the array is shifted, after it not.
    Table falling({1e-9, 2.5e-9, 1.25e-9, 4e-9}, {0, 1, 2, 3}, Impulse, 1e12);
    EXPECT_FALSE(falling.Ok);
    EXPECT_EQ(falling.Messages, "ResponseTimeStamps[3] = 1.25e-09  <= ResponseTimeStamps[2] = "
                                "2.5e-09. Time stamps must be in non-repeating ascending order.\n");
    EXPECT_EQ(falling.Stamps[0], 0.0);
    EXPECT_EQ(falling.Stamps[3], 4e-9);

    // A NaN stamp is out of order too, not a silent hole in the search.
    Table hole({0, 1, Nan, 3}, {0, 1, 2, 3}, Step, 1.0);
    EXPECT_FALSE(hole.Ok);
    EXPECT_EQ(hole.Messages, "ResponseTimeStamps[3] = nan  <= ResponseTimeStamps[2] = 1. "
                             "Time stamps must be in non-repeating ascending order.\n");
}

TEST(TimeResponseFir, NonFiniteValuesSpoilOnlyTheTapsWhoseWindowHoldsThem)
{
    // The NaN at t = 5 reaches the exact hit at 5 and the taps between stamps
    // whose window s[b-1] .. s[b+2] holds it (t in (2, 6)); exact hits on
    // other stamps and every other tap stay finite, and Setup succeeds.
    std::vector<double> s, r;
    for (int k = 0; k <= 10; ++k) {
        s.push_back(k);
        r.push_back(k == 5 ? Nan : 1.0 + k);
    }
    Table t(s, r, Impulse, 2.0);
    ASSERT_TRUE(t.Ok);
    for (int i = 0; i < t.Filter.NumTaps; ++i) {
        const double time = i / 2.0;
        const bool onStamp = time == std::floor(time);
        const bool spoiled = time == 5.0 || (!onStamp && time > 2.0 && time < 6.0);
        EXPECT_EQ(std::isnan(t.Taps()[i]), spoiled) << time;
    }
    // Running it is safe; a NaN tap times the zero history is already NaN.
    t.Start();
    EXPECT_TRUE(std::isnan(t.Fire(1.0)));
}

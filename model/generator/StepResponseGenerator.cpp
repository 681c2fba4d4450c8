// Host program that computes the 16 embedded step responses and writes them
// as a C++ source file defining StepResponseTable (hex-float literals, so the
// compiler reads every bit back exactly).
//
//     StepResponseGenerator OUTPUT.cpp
//
// The table must come out bit for bit the same on every IEEE-754 machine, so
// the arithmetic here is restricted to + - * / (the build disables
// contraction into fused multiply-add): no library transcendental function,
// whose last bits differ between platforms. The exponential that shapes the
// edges is computed below from those operations alone.
//
// What is built (times in seconds):
// - One shared set of 47000 time stamps, non-uniform like the output of an
//   adaptive-step recording: the step grows from the pinned first steps up
//   to a cap, is refined around the transition near 1.22 ns, cut at one
//   breakpoint (the 3e-20 s step), and shrinks again towards the end. Entry
//   11 has its own set: the shared one mapped affinely onto its own second
//   and last stamp.
// - Each entry is a rising step: a flat start level with a slight drift, a
//   third-order edge (three equal RC stages, with a small slower part) up to
//   a de-emphasis bump that decays through a second-order edge to the final
//   level. Per setting the edge start, the bump's delay and its height are
//   solved so that the first time at or above zero, the time of the peak
//   and the peak value meet the characterisation figures.
// - Irregular points are laid over that: the tenfold start and dip of three
//   entries, and two isolated pairs of values.
#include "model/generator/StepResponseTargets.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace T = StepResponseTargets;
namespace Layout = StepResponseLayout;

// Every operation must round to double as it goes (no wider intermediates,
// as on an x87 unit), or the table would depend on the host.
static_assert(FLT_EVAL_METHOD == 0, "the generator needs double evaluation of double expressions");

namespace {

// e^-x for x >= 0 from + - * / only: halve x until it is at most 1/64,
// sum the Taylor series (the first dropped term is below 1e-20 relative),
// then square back. Each squaring doubles the relative error, so the result
// is good to about 1e-11: plenty for a shape, and identical everywhere.
double ExpNeg(double x)
{
    if (!(x < 700.0))
        return 0.0;
    int halvings = 0;
    while (x > 0.015625) {
        x = x * 0.5;
        ++halvings;
    }
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; k <= 8; ++k) {
        term = term * -x / k;
        sum = sum + term;
    }
    for (; halvings > 0; --halvings)
        sum = sum * sum;
    return sum;
}

// Step response of three equal first-order stages, u in time constants.
double EdgeThirdOrder(double u)
{
    if (u <= 0.0)
        return 0.0;
    return 1.0 - (1.0 + u + u * u * 0.5) * ExpNeg(u);
}

// Step response of two equal first-order stages, u in time constants.
double EdgeSecondOrder(double u)
{
    if (u <= 0.0)
        return 0.0;
    return 1.0 - (1.0 + u) * ExpNeg(u);
}

// ---------------------------------------------------------------- stamps

constexpr double kStepCap = 2.22e-13;      // largest step of the recording
// The pinned tail's steps grow by about 1.7 % each; the step before it
// continues that backwards.
constexpr double kTailStepRatio = 0.984;
constexpr double kStepGrowth = 1.12;       // largest ratio of two steps in a row
constexpr double kBreakpoint = 1.195e-09;  // the recording's breakpoint
constexpr double kBreakpointStep = 3e-20;  // step taken right after it
constexpr double kRefineCentre = 1.225e-09; // centre of the transition refinement
constexpr double kRefineFloor = 2e-15;     // smallest step there
// Growth of the step with the distance from kRefineCentre, after it
// relative to before it (the settling tail needs fewer points than the edge).
constexpr double kRefineTailRatio = 0.25;
// Where the quiet step leaves the cap and falls towards the end.
struct StepKnot {
    double Time;
    double Step;
};
constexpr StepKnot kQuietSteps[] = {
    {0.0, kStepCap}, {2.6e-09, kStepCap}, {3.55e-09, 1.0e-13}, {5.0e-09, 5.3e-14}};

double QuietStep(double t)
{
    constexpr int last = sizeof kQuietSteps / sizeof kQuietSteps[0] - 1;
    int k = 0;
    while (k < last - 1 && t > kQuietSteps[k + 1].Time)
        ++k;
    const StepKnot& a = kQuietSteps[k];
    const StepKnot& b = kQuietSteps[k + 1];
    const double w = (t - a.Time) / (b.Time - a.Time);
    return a.Step + (b.Step - a.Step) * w;
}

// Step the recording takes at time t; `growth` scales how fast the step
// widens away from the transition (the knob that fits the point count).
double TargetStep(double t, double growth)
{
    const double distance = t < kRefineCentre ? kRefineCentre - t
                                              : (t - kRefineCentre) * kRefineTailRatio;
    const double refined = kRefineFloor + growth * distance;
    const double quiet = QuietStep(t);
    return refined < quiet ? refined : quiet;
}

// Marches from the pinned head to index PointCount - 4 (the point before the
// pinned tail) and returns all stamps up to there.
std::vector<double> MarchStamps(double growth)
{
    std::vector<double> s(T::SharedStampsHead, T::SharedStampsHead + 4);
    s.reserve(Layout::PointCount);
    double step = s[3] - s[2];
    const int lastMarched = Layout::PointCount - 4;
    while (static_cast<int>(s.size()) <= lastMarched) {
        const double now = s.back();
        const double wanted = TargetStep(now, growth);
        step = wanted < step * kStepGrowth ? wanted : step * kStepGrowth;
        if (now < kBreakpoint && now + step > kBreakpoint - 0.5 * step) {
            s.push_back(kBreakpoint);
            if (static_cast<int>(s.size()) <= lastMarched)
                s.push_back(kBreakpoint + kBreakpointStep);
            continue;
        }
        s.push_back(now + step);
    }
    return s;
}

// The shared stamps: the march whose point before the tail lands where the
// tail's own steps continue backwards, found by bisection on the refinement
// growth (more growth, fewer points near the transition, so the march gets
// further), then mapped affinely between the head and that point so it
// lands exactly; the map's scale differs from 1 by far less than 1e-6.
std::vector<double> SharedStamps()
{
    const double* tail = T::SharedStampsTail;
    const double beforeTail = tail[0] - kTailStepRatio * (tail[1] - tail[0]);
    const int lastMarched = Layout::PointCount - 4;
    double lo = 1e-5;
    double hi = 1.0;
    for (int i = 0; i < 64; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (MarchStamps(mid)[lastMarched] < beforeTail)
            lo = mid;
        else
            hi = mid;
    }
    std::vector<double> s = MarchStamps(lo);
    const double from = s[3];
    const double scale = (beforeTail - from) / (s[lastMarched] - from);
    for (int i = 4; i < lastMarched; ++i)
        s[i] = from + (s[i] - from) * scale;
    s[lastMarched] = beforeTail;
    s.insert(s.end(), tail, tail + 3);
    return s;
}

// Entry 11's stamps: the shared ones mapped affinely so that its second and
// last stamp are its own.
std::vector<double> OwnStamps(const std::vector<double>& shared)
{
    const int last = Layout::PointCount - 1;
    std::vector<double> s(shared.size());
    s[0] = 0.0;
    s[1] = T::OwnSecondStamp;
    s[last] = T::OwnLastStamp;
    const double scale = (T::OwnLastStamp - T::OwnSecondStamp) / (shared[last] - shared[1]);
    for (int i = 2; i < last; ++i)
        s[i] = T::OwnSecondStamp + (shared[i] - shared[1]) * scale;
    return s;
}

// ---------------------------------------------------------------- shapes

constexpr double kEdgeTau = 3.0e-12;   // time constant of each of the three edge stages
constexpr double kCreepTau = 2.2e-11;  // time constant of the slow part of the edge (two stages)
constexpr double kCreepShare = 0.03;   // share of the slow part in the edge
constexpr double kBumpTau = 3.3e-11;   // time constant of the bump's decay (two stages)
// Drift of entry 0 per second before and after its transition (from its
// pinned rows); the other entries drift in proportion to their final level.
constexpr double kDriftBefore = 1423.0;
constexpr double kDriftAfter = 16223.0;
// Start level relative to minus the final level, for settings without and
// with overshoot.
constexpr double kStartExcessFlat = 1.7e-4;
constexpr double kStartExcessBump = 8.5e-5;

// One step response, v(t) = Before(t) (1 - rise) + After(t) rise + Bump (fast - decay):
// - Before, After: the start and final levels, each with a slight linear
//   drift (After reaches FinalLevel exactly at EndTime);
// - fast: three equal RC stages from EdgeStart, the driver's edge;
//   rise = 97 % fast + 3 % of a slower two-stage part, so that even without
//   de-emphasis the last percent takes about 60 ps;
// - decay: two slower stages from BumpStart. The bump (fast - decay) is the
//   de-emphasis overshoot: it rises with the edge and dies away, and the
//   larger it is the later the response stays within 1 % of the final level.
// All times in seconds.
struct Shape {
    double StartLevel;  // value at t = 0
    double DriftBefore; // slope of the start level, per second
    double FinalLevel;  // value at EndTime
    double DriftAfter;  // slope of the final level, per second
    double EndTime;     // last time stamp of the entry
    double EdgeStart;   // where the edge leaves the start level
    double BumpStart;   // where the bump starts to decay
    double Bump;        // height of the de-emphasis bump

    double Before(double t) const { return StartLevel + DriftBefore * t; }
    double After(double t) const { return FinalLevel - DriftAfter * (EndTime - t); }
    double At(double t) const
    {
        const double fast = EdgeThirdOrder((t - EdgeStart) / kEdgeTau);
        const double creep = EdgeSecondOrder((t - EdgeStart) / kCreepTau);
        const double rise = fast * (1.0 - kCreepShare) + creep * kCreepShare;
        const double decay = EdgeSecondOrder((t - BumpStart) / kBumpTau);
        return Before(t) * (1.0 - rise) + After(t) * rise + Bump * (fast - decay);
    }
};

// First time at which the shape reaches zero (it rises monotonically from
// EdgeStart to its peak, which lies within 80 ps).
double ZeroCrossing(const Shape& shape)
{
    double lo = shape.EdgeStart;
    double hi = shape.EdgeStart + 8e-11;
    for (int i = 0; i < 64; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (shape.At(mid) < 0.0)
            lo = mid;
        else
            hi = mid;
    }
    return hi;
}

// Time of the peak that follows the zero crossing (golden-section search;
// the shape is unimodal there).
double PeakTime(const Shape& shape)
{
    const double ratio = 0.6180339887498949;
    double a = ZeroCrossing(shape);
    double b = a + 1e-10;
    double c = b - ratio * (b - a);
    double d = a + ratio * (b - a);
    for (int i = 0; i < 80; ++i) {
        if (shape.At(c) > shape.At(d))
            b = d;
        else
            a = c;
        c = b - ratio * (b - a);
        d = a + ratio * (b - a);
    }
    return 0.5 * (a + b);
}

// Moves the edge (and the bump with it) so the zero crossing lands on `zero`.
void PlaceEdge(Shape& shape, double zero)
{
    const double delay = shape.BumpStart - shape.EdgeStart;
    for (int i = 0; i < 4; ++i) {
        shape.EdgeStart = shape.EdgeStart + (zero - ZeroCrossing(shape));
        shape.BumpStart = shape.EdgeStart + delay;
    }
}

// Solves the bump height for the peak value, with the edge re-placed for
// each trial height.
void FitBump(Shape& shape, const T::Setting& target)
{
    double lo = 0.0;
    double hi = 4.0;
    for (int i = 0; i < 48; ++i) {
        shape.Bump = 0.5 * (lo + hi);
        PlaceEdge(shape, target.ZeroTime);
        if (shape.At(PeakTime(shape)) < target.Peak)
            lo = shape.Bump;
        else
            hi = shape.Bump;
    }
    shape.Bump = lo;
    PlaceEdge(shape, target.ZeroTime);
}

Shape FitShape(const T::Setting& target, double startLevel, double endTime)
{
    const double scale = target.LastValue / T::Settings[0].LastValue;
    Shape shape{};
    shape.StartLevel = startLevel;
    shape.DriftBefore = kDriftBefore * scale;
    shape.FinalLevel = target.LastValue;
    shape.DriftAfter = kDriftAfter * scale;
    shape.EndTime = endTime;
    shape.EdgeStart = target.ZeroTime - 2e-11;
    shape.BumpStart = shape.EdgeStart;
    if (target.Peak == 0.0) {
        PlaceEdge(shape, target.ZeroTime);
        return shape;
    }
    // A later decay lets the peak come later; bisection on the delay.
    double lo = 0.0;
    double hi = 8e-11;
    for (int i = 0; i < 40; ++i) {
        const double delay = 0.5 * (lo + hi);
        shape.BumpStart = shape.EdgeStart + delay;
        FitBump(shape, target);
        if (PeakTime(shape) < target.PeakTime)
            lo = delay;
        else
            hi = delay;
    }
    shape.BumpStart = shape.EdgeStart + lo;
    FitBump(shape, target);
    return shape;
}

// ---------------------------------------------------------------- irregular points

// The dip of an entry recorded at ten times the level before its
// transition: an abrupt fall from the tenfold level (FallStart to FallEnd),
// a slight further decline to the deepest point (DipTime), then a rise in
// two straight pieces (kneeing at KneeTime, after KneeShare of the rise)
// that meets the common shape at JoinTime and follows it from there.
//
// The times are placed against the sampling instants of the default rate
// (i / 4.096e11 s: 1.21338, 1.21582, 1.21826, 1.22070 ns, ...), and that is
// what the dip does to the taps built from it: the fall lies between two
// instants and is not seen, while each piece of the rise holds one instant,
// so two taps of about 8 and 5 carry a rise of about 10 and the taps sum to
// about 13.5 instead of the 3.4 the levels alone would give.
struct Dip {
    int Entry;
    double FallStart, FallEnd, DipTime, KneeTime, JoinTime; // s
    double FallEndValue, DipValue, KneeShare;
};
constexpr Dip kDips[3] = {
    {1, 1.2146e-09, 1.2152e-09, 1.2156e-09, 1.2174e-09, 1.2192e-09, -9.8074, -9.8574, 0.62},
    {8, 1.2170e-09, 1.2176e-09, 1.2181e-09, 1.2199e-09, 1.2217e-09, -9.7291, -9.7791, 0.62},
    {14, 1.2146e-09, 1.2152e-09, 1.2156e-09, 1.2174e-09, 1.2192e-09, -9.8968, -9.9468, 0.62},
};

double Between(double t, double t0, double t1, double v0, double v1)
{
    return v0 + (v1 - v0) * ((t - t0) / (t1 - t0));
}

double DipValueAt(const Dip& dip, const Shape& shape, double t)
{
    const double tenfold = 10.0 * shape.Before(t);
    if (t < dip.FallStart)
        return tenfold;
    if (t < dip.FallEnd) {
        // Smoothstep 3w^2 - 2w^3 from the tenfold level down to FallEndValue.
        const double from = 10.0 * shape.Before(dip.FallStart);
        const double w = (t - dip.FallStart) / (dip.FallEnd - dip.FallStart);
        return from + (dip.FallEndValue - from) * (w * w * (3.0 - 2.0 * w));
    }
    if (t < dip.DipTime)
        return Between(t, dip.FallEnd, dip.DipTime, dip.FallEndValue, dip.DipValue);
    const double join = shape.At(dip.JoinTime);
    const double knee = dip.DipValue + (join - dip.DipValue) * dip.KneeShare;
    if (t < dip.KneeTime)
        return Between(t, dip.DipTime, dip.KneeTime, dip.DipValue, knee);
    if (t < dip.JoinTime)
        return Between(t, dip.KneeTime, dip.JoinTime, knee, join);
    return shape.At(t);
}

// ---------------------------------------------------------------- output

// Exact hexadecimal floating literal of x, independent of the C library's
// printf (whose %a spelling differs between platforms).
std::string HexFloat(double x)
{
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    std::string text = (bits >> 63) ? "-0x" : "0x";
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t mantissa = bits & 0xfffffffffffffULL;
    if (biased == 0 && mantissa == 0)
        return text + "0p+0";
    text += biased == 0 ? "0" : "1";
    int digits = 13;
    while (digits > 0 && (mantissa & 0xf) == 0) {
        mantissa >>= 4;
        --digits;
    }
    if (digits > 0) {
        text += '.';
        for (int i = digits - 1; i >= 0; --i)
            text += "0123456789abcdef"[(mantissa >> (4 * i)) & 0xf];
    }
    const int exponent = biased == 0 ? -1022 : biased - 1023;
    text += 'p';
    text += exponent < 0 ? '-' : '+';
    text += std::to_string(exponent < 0 ? -exponent : exponent);
    return text;
}

// Writes to a scratch file first and renames it, so that a failed run
// never leaves a truncated table that the build would take as up to date.
bool WriteTable(const std::string& path, const std::vector<double>& table)
{
    const std::string scratch = path + ".part";
    std::FILE* out = std::fopen(scratch.c_str(), "w");
    if (!out)
        return false;
    std::fputs("// Generated by StepResponseGenerator; do not edit.\n"
              "#include \"model/StepResponseTable.h\"\n\n"
              "const double StepResponseTable[StepResponseLayout::TableSize] = {\n",
              out);
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::fputs(HexFloat(table[i]).c_str(), out);
        std::fputs(i % 4 == 3 ? ",\n" : ", ", out);
    }
    std::fputs("};\n", out);
    const bool written = !std::ferror(out);
    if (std::fclose(out) != 0 || !written) {
        std::remove(scratch.c_str());
        return false;
    }
    std::remove(path.c_str()); // rename does not replace a file everywhere
    return std::rename(scratch.c_str(), path.c_str()) == 0;
}

double StartLevel(const T::Setting& target)
{
    if (T::EntryOf(target) == 0)
        return T::Entry0Head[0];
    for (const T::TenfoldEntry& tenfold : T::TenfoldEntries)
        if (tenfold.Entry == T::EntryOf(target))
            return tenfold.StartValue / 10.0;
    const double excess = target.Peak == 0.0 ? kStartExcessFlat : kStartExcessBump;
    return -target.LastValue * (1.0 + excess);
}

// Whether the fitted shape meets its figures (the bisections converge for
// every setting of the table; this guards against a bracket that no longer
// holds after a change of the constants above).
bool Meets(const Shape& shape, const T::Setting& target)
{
    const double tolerance = 1e-14; // s, far below the figures' rounding
    if (!(std::fabs(ZeroCrossing(shape) - target.ZeroTime) < tolerance))
        return false;
    if (target.Peak == 0.0)
        return true;
    const double peakTime = PeakTime(shape);
    return std::fabs(peakTime - target.PeakTime) < tolerance
           && std::fabs(shape.At(peakTime) - target.Peak) < 1e-9;
}

bool AscendingFromZero(const std::vector<double>& stamps)
{
    for (std::size_t i = 1; i < stamps.size(); ++i)
        if (!(stamps[i] > stamps[i - 1]))
            return false;
    return stamps[0] == 0.0;
}

bool BuildTable(std::vector<double>& table)
{
    const std::vector<double> shared = SharedStamps();
    const std::vector<double> own = OwnStamps(shared);
    if (!AscendingFromZero(shared) || !AscendingFromZero(own)) {
        std::fprintf(stderr, "StepResponseGenerator: time stamps out of order\n");
        return false;
    }
    table.assign(Layout::TableSize, 0.0);
    for (const T::Setting& target : T::Settings) {
        const int entry = T::EntryOf(target);
        const std::vector<double>& stamps = entry == T::StampEntryOwn ? own : shared;
        double* values = &table[static_cast<std::size_t>(entry) * Layout::EntryStride];
        double* times = values + Layout::PointCount;
        const Shape shape = FitShape(target, StartLevel(target), stamps.back());
        if (!Meets(shape, target)) {
            std::fprintf(stderr, "StepResponseGenerator: no fit for de %d\n", target.De);
            return false;
        }
        const Dip* dip = nullptr;
        for (const Dip& candidate : kDips)
            if (candidate.Entry == entry)
                dip = &candidate;
        for (int i = 0; i < Layout::PointCount; ++i) {
            times[i] = stamps[i];
            values[i] = dip ? DipValueAt(*dip, shape, stamps[i]) : shape.At(stamps[i]);
        }
        for (const T::IrregularPair& pair : T::IrregularPairs) {
            if (pair.Entry != entry)
                continue;
            int i = 0;
            while (times[i] < pair.Times[0])
                ++i;
            values[i] = pair.Values[0];
            values[i + 1] = pair.Values[1];
        }
        if (entry == 0) {
            std::memcpy(values, T::Entry0Head, sizeof T::Entry0Head);
            std::memcpy(values + Layout::PointCount - 3, T::Entry0Tail, sizeof T::Entry0Tail);
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: StepResponseGenerator OUTPUT.cpp\n");
        return 2;
    }
    std::vector<double> table;
    if (!BuildTable(table))
        return 1;
    if (!WriteTable(argv[1], table)) {
        std::fprintf(stderr, "StepResponseGenerator: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

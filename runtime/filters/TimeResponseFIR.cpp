#include "runtime/filters/TimeResponseFIR.h"

#include <sstream>
#include <string>

namespace TorvaneModelBuilder {

namespace {

// The tap count trunc(span * rate) + 1 must fit a 32-bit int.
constexpr double TapCountLimit = 2147483647.0;

// Moves the time origin to stamps[0] and checks the order on the way.
// Returns false after writing the ordering message, with the stamps up to
// and including the offending one already shifted.
bool ShiftAndCheckOrder(double* stamps, std::int32_t count)
{
    const double t0 = stamps[0];
    stamps[0] = 0.0;
    for (std::int32_t i = 1; i < count; ++i) {
        stamps[i] = stamps[i] - t0;
        // "Not less" rather than ">=" so that a NaN stamp is refused here
        // instead of poisoning the interval search.
        if (!(stamps[i - 1] < stamps[i])) {
            std::ostringstream line;
            line << "ResponseTimeStamps[" << static_cast<unsigned>(i + 1)
                 << "] = " << t0 + stamps[i] << "  <= ResponseTimeStamps["
                 << static_cast<unsigned>(i) << "] = " << t0 + stamps[i - 1]
                 << ". Time stamps must be in non-repeating ascending order.";
            DFModel::ReportError(line.str().c_str());
            return false;
        }
    }
    return true;
}

} // namespace

TimeResponseFIR::~TimeResponseFIR()
{
    delete[] Taps;
}

bool TimeResponseFIR::Setup()
{
    const bool impulse = ResponseType == ImpulseResponse;
    bool countOk = true;
    if (NumResponse < 4 && (impulse || ResponseType == StepResponse)) {
        ReportError(impulse
                        ? "At least 4 response coefficients are required for input impulse response"
                        : "At least 4 response coefficients are required for input step response");
        countOk = false;
    }
    if (!impulse && ResponseType != StepResponse) {
        // "Inavlid" is misspelt on purpose: the line is the system's own, word
        // for word, and users' logs and scripts may match it.
        ReportError("Inavlid ResponseType is specified, it can be either Impulse Response or "
                    "Step Response");
        return false;
    }
    if (!countOk)
        return false;
    if (NumResponseTimeStamps != NumResponse) {
        // Worded as the system always has ("must be same as"), for the same reason.
        ReportError("Number of coefficients in response must be same as the number of values in "
                    "time stamps");
        return false;
    }
    if (!(SampleRate > 0.0)) {
        ReportError("SampleRate must be > 0.0");
        return false;
    }
    const std::int32_t n = NumResponse;
    double* s = ResponseTimeStamps;
    const double* r = Response;
    if (!ShiftAndCheckOrder(s, n))
        return false;
    const double spanInSamples = s[n - 1] * SampleRate;
    if (!(spanInSamples < TapCountLimit)) {
        ReportError("SampleRate times the response time span must be a finite number below "
                    "2147483647");
        return false;
    }

    NumTaps = static_cast<std::int32_t>(spanInSamples) + 1;
    delete[] Taps;
    Taps = nullptr;
    Taps = new double[static_cast<std::size_t>(NumTaps)];

    CubicSpline spline;
    std::int32_t b = 0; // search start; t grows, so it only moves forward
    for (std::int32_t i = 0; i < NumTaps; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        while (b < n - 1 && s[b] < t)
            ++b;
        double sample;
        if (impulse && s[b] == t) {
            sample = r[b];
        } else {
            // Window s[b-1] < t <= s[b], clamped into the table: four points
            // b-1 .. b+2 for the cubic, three b-1 .. b+1 for the quadratic.
            if (b == 0)
                b = 1;
            else if (b > n - 3)
                b = n - 3;
            sample = impulse ? spline.Evaluate(4, t, s + b - 1, r + b - 1)
                             : QuadraticDerivative(t, s + b - 1, r + b - 1);
        }
        // One period scaling, done as a division by the rate.
        Taps[i] = sample / SampleRate;
    }
    return FIR<double, 0>::Setup();
}

} // namespace TorvaneModelBuilder

#include "ami/AmiInstance.h"

#include <cmath>
#include <cstdio>

#include "model/StepResponseTable.h"
#include "params/AmiParameters.h"

namespace {

constexpr char DeWarning[] =
    "The IBIS-AMI model, Halvex_tx, is unable to initialize the parameter de from the "
    "AMI_Init arguments.  The model will use the default setting. ";

// Longest response span over the table entries, seconds.
double LongestResponseSpan()
{
    double span = 0.0;
    for (int j = 0; j < StepResponseLayout::EntryCount; ++j) {
        const double* stamps = StepResponseTimeStamps(j);
        span = std::fmax(span, stamps[StepResponseLayout::PointCount - 1] - stamps[0]);
    }
    return span;
}

std::string Format(const char* format, double a, double b)
{
    char text[256];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

} // namespace

bool AmiInstance::CheckTiming(double sampleInterval, double bitTime)
{
    if (!(std::isfinite(sampleInterval) && sampleInterval > 0.0 && std::isfinite(bitTime) &&
          bitTime > 0.0)) {
        AppendMessage(Format("The sample interval (%g s) and the bit time (%g s) must both be "
                             "finite and greater than 0. ",
                             sampleInterval, bitTime));
        return false;
    }
    const double quotient = bitTime / sampleInterval + 0.5;
    if (!(quotient < 2147483648.0)) {
        AppendMessage(Format("The bit time (%g s) spans too many sample intervals (%g s): "
                             "the samples per bit must stay below 2147483648. ",
                             bitTime, sampleInterval));
        return false;
    }
    // A quotient below 1 gives 0 samples per bit, which the filters refuse.
    const double sampleRate = std::trunc(quotient) / bitTime;
    const double taps = std::floor(LongestResponseSpan() * sampleRate) + 1.0;
    if (taps > MaxTapsPerFilter) {
        // %.7g: whole counts below 10^7 in full, larger ones (up to 5e300 for
        // the smallest intervals) in exponent form, within the text's buffer.
        AppendMessage(Format("The sample interval (%g s) is too small for this model: each "
                             "filter would need %.7g taps, more than the 262144 allowed. ",
                             sampleInterval, taps));
        return false;
    }
    return true;
}

bool AmiInstance::Init(double sampleInterval, double bitTime, const char* parameters)
{
    AmiParameters holder(parameters);
    const bool timingOk = CheckTiming(sampleInterval, bitTime);
    if (timingOk) {
        SamplesPerBit = static_cast<int32_t>(bitTime / sampleInterval + 0.5);
        Model.BitTime = bitTime;
        Model.SamplesPerBit = static_cast<double>(SamplesPerBit);
    }
    if (!holder.GetDouble(Model.de, "Halvex_tx.de"))
        AppendMessage(DeWarning);

    Model.InputPort.Attach(&PortStorage[0], 1, 1, 0);
    Model.OutputPort.Attach(&PortStorage[1], 1, 1, 0);
    Model.AuxOutputPort.Attach(&PortStorage[2], 1, 1, 0);
    if (!timingOk)
        return false;

    if (!Model.Setup()) {
        AppendMessage("Error occurred in Halvex_tx::Setup(). ");
        return false;
    }
    if (!Model.Initialize()) {
        AppendMessage("Error occurred in Halvex_tx::Initialize(). ");
        return false;
    }
    // The whole-wave path, with the strongest instruction set this processor has.
    BlockKernels = TorvaneModelBuilder::FirBlockKernelsFor(TorvaneModelBuilder::BestSimdLevel());
    Ready = true;
    return true;
}

bool AmiInstance::GetWave(double* wave, std::size_t n, double* clockTimes)
{
    ClockTimes.resize(n + 1);
    bool ok = true;
    if (BlockKernels != nullptr && Model.BlockPathApplies())
        Model.RunBlock(wave, n, BlockKernels->Convolve);
    else
        ok = FirePerSample(wave, n);
    // The transmitter records no clock ticks: the list is just the end mark.
    // The copy limit floor(n / SamplesPerBit) + 101, capped at n, is at least
    // 1 exactly when the wave is not empty, so only that is tested.
    ClockTimes[0] = -1.0;
    if (n > 0 && clockTimes != nullptr)
        clockTimes[0] = ClockTimes[0];
    return ok;
}

bool AmiInstance::FirePerSample(double* wave, std::size_t n)
{
    double& in = Model.InputPort.ElementAt(0);
    const double& out = Model.OutputPort.ElementAt(0);
    for (std::size_t i = 0; i < n; ++i) {
        in = wave[i];
        if (!Model.Run()) {
            AppendMessage("Error occurred in Halvex_tx::Run(). ");
            return false;
        }
        wave[i] = out;
    }
    return true;
}

#include "tools/amihost/host/Conformance.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

#include "tools/amihost/host/AmiSession.h"
#include "tools/amihost/signal/Stimulus.h"

namespace {

struct Context {
    const AmiModel& Model;
    const ConformanceConfig& Config;
    const std::string& Parameters;
    std::vector<double> Impulse;
    std::string ClockFault; // first bad clock-time list seen, if any
    std::size_t ClockCalls = 0;

    double SampleInterval() const { return Config.BitTime / Config.SamplesPerBit; }

    bool Open(AmiSession& session, std::string& error)
    {
        return session.Init(Impulse, SampleInterval(), Config.BitTime, Parameters, error);
    }

    // One GetWave, with the clock-time list inspected.
    bool Call(AmiSession& session, double* wave, std::size_t n, std::string& error)
    {
        if (!session.GetWave(wave, n, error))
            return false;
        ++ClockCalls;
        if (ClockFault.empty())
            InspectClock(session.ClockTimes(), n);
        return true;
    }

    void InspectClock(const std::vector<double>& clock, std::size_t n)
    {
        double last = -1.0;
        for (std::size_t i = 0; i < clock.size(); ++i) {
            if (clock[i] == -1.0)
                return;
            if (!std::isfinite(clock[i]) || clock[i] < 0.0 || clock[i] <= last) {
                char text[160];
                std::snprintf(text, sizeof text,
                              "after a call of %zu samples clock_times[%zu] is %g, before any end mark -1", n, i,
                              clock[i]);
                ClockFault = text;
                return;
            }
            last = clock[i];
        }
        ClockFault = "after a call of " + std::to_string(n) + " samples clock_times holds no end mark -1";
    }

    // A whole wave through one new instance, cut into the given block sizes
    // (repeated to the end).
    bool Through(std::vector<double>& wave, const std::vector<std::size_t>& blocks, std::string& error)
    {
        AmiSession session(Model);
        if (!Open(session, error))
            return false;
        std::size_t next = 0;
        for (std::size_t start = 0; start < wave.size(); ++next) {
            const std::size_t n = std::min(blocks[next % blocks.size()], wave.size() - start);
            if (!Call(session, wave.data() + start, n, error))
                return false;
            start += n;
        }
        if (!session.Close()) {
            error = "AMI_Close returned 0";
            return false;
        }
        return true;
    }
};

// "" when equal bit for bit, else where they first differ.
std::string Difference(const std::vector<double>& expected, const std::vector<double>& actual)
{
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (std::memcmp(&expected[i], &actual[i], sizeof(double)) != 0) {
            char text[160];
            std::snprintf(text, sizeof text, "sample %zu is %.17g instead of %.17g", i, actual[i], expected[i]);
            return text;
        }
    return "";
}

// FNV-1a (64 bits) over the bytes of the samples: two builds of a model on
// different systems give the same value exactly when their outputs agree bit
// for bit.
std::string Checksum(const std::vector<double>& wave)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (double sample : wave) {
        unsigned char bytes[sizeof(double)];
        std::memcpy(bytes, &sample, sizeof bytes);
        for (unsigned char byte : bytes)
            hash = (hash ^ byte) * 1099511628211ull;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

ConformanceResult Result(const char* name, bool pass, const std::string& reason)
{
    ConformanceResult r;
    r.Name = name;
    r.Pass = pass;
    r.Reason = reason;
    return r;
}

// The two test waves and the reference: the first wave through one instance in one call.
struct Waves {
    Stimulus First;
    Stimulus Second;
    std::vector<double> Reference;
};

ConformanceResult CheckSymbols(const AmiModel& model, const AmiFile& file)
{
    if (model.GetWave)
        return Result("symbols", true, "AMI_Init, AMI_GetWave and AMI_Close are exported");
    if (file.GetWaveExists == 0)
        return Result("symbols", true,
                      "AMI_Init and AMI_Close are exported; no AMI_GetWave, as the .ami declares GetWave_Exists False");
    return Result("symbols", false,
                  std::string("AMI_GetWave is missing although the .ami ") +
                      (file.GetWaveExists == 1 ? "declares GetWave_Exists True"
                                               : "does not declare GetWave_Exists False"));
}

ConformanceResult CheckInitDefaults(Context& context)
{
    AmiSession session(context.Model);
    std::string error;
    const bool opened = context.Open(session, error);
    const std::string message = session.Message();
    const bool closed = session.Close();
    if (!opened)
        return Result("init-defaults", false, error);
    if (!closed)
        return Result("init-defaults", false, "AMI_Init succeeded but AMI_Close returned 0");
    return Result("init-defaults", true,
                  "AMI_Init returned 1 with " + context.Parameters +
                      (message.empty() ? ", no message" : ", message: " + message));
}

ConformanceResult CheckBlockIndependence(Context& context, const Waves& waves)
{
    const std::size_t block = context.Config.BlockSize;
    std::mt19937 random(context.Config.Seed);
    std::uniform_int_distribution<std::size_t> size(1, 2 * block);
    std::vector<std::size_t> blocks = {1, 2, 3};
    for (int i = 0; i < 64; ++i)
        blocks.push_back(size(random));
    std::vector<double> cut = waves.First.Wave;
    std::string error;
    if (!context.Through(cut, blocks, error))
        return Result("block-independence", false, error);
    if (const std::string where = Difference(waves.Reference, cut); !where.empty())
        return Result("block-independence", false, "random block sizes change the output: " + where);
    return Result("block-independence", true,
                  std::to_string(cut.size()) + " samples in blocks of 1 .. " + std::to_string(2 * block) +
                      " equal the one-call output bit for bit (output checksum " + Checksum(waves.Reference) + ")");
}

// Two live instances on the two waves, their calls interleaved block by block.
bool Interleave(Context& context, std::vector<double>& a, std::vector<double>& b, std::string& error)
{
    const std::size_t block = context.Config.BlockSize;
    AmiSession one(context.Model);
    AmiSession two(context.Model);
    bool ok = context.Open(one, error) && context.Open(two, error);
    for (std::size_t start = 0; ok && start < a.size(); start += block)
        ok = context.Call(one, a.data() + start, std::min(block, a.size() - start), error) &&
             context.Call(two, b.data() + start, std::min(block, b.size() - start), error);
    const bool closedOne = one.Close();
    const bool closedTwo = two.Close();
    if (ok && !(closedOne && closedTwo)) {
        error = "AMI_Close returned 0";
        return false;
    }
    return ok;
}

ConformanceResult CheckInstancesIndependent(Context& context, const Waves& waves)
{
    std::vector<double> alone = waves.Second.Wave;
    std::vector<double> a = waves.First.Wave;
    std::vector<double> b = waves.Second.Wave;
    std::string error;
    if (!context.Through(alone, {alone.size()}, error) || !Interleave(context, a, b, error))
        return Result("instances-independent", false, error);
    if (const std::string where = Difference(waves.Reference, a); !where.empty())
        return Result("instances-independent", false, "the first instance's " + where);
    if (const std::string where = Difference(alone, b); !where.empty())
        return Result("instances-independent", false, "the second instance's " + where);
    return Result("instances-independent", true,
                  "two live instances on different waves, calls interleaved, each equal their one-instance output");
}

ConformanceResult CheckRepeatedInitClose(Context& context, const Waves& waves)
{
    const int cycles = 5;
    for (int i = 1; i <= cycles; ++i) {
        std::vector<double> again = waves.First.Wave;
        std::string error;
        if (!context.Through(again, {context.Config.BlockSize}, error))
            return Result("repeated-init-close", false, "cycle " + std::to_string(i) + ": " + error);
        if (const std::string where = Difference(waves.Reference, again); !where.empty())
            return Result("repeated-init-close", false, "cycle " + std::to_string(i) + ": " + where);
    }
    return Result("repeated-init-close", true,
                  std::to_string(cycles) + " Init/GetWave/Close cycles succeed with the same output");
}

// Judged on every AMI_GetWave call the checks before it made.
ConformanceResult CheckClockEndMark(const Context& context)
{
    if (!context.ClockFault.empty())
        return Result("clock-end-mark", false, context.ClockFault);
    return Result("clock-end-mark", true,
                  "all " + std::to_string(context.ClockCalls) +
                      " AMI_GetWave calls left the end mark -1 in clock_times");
}

const char* const WaveChecks[] = {"block-independence", "instances-independent", "repeated-init-close",
                                  "clock-end-mark"};

} // namespace

std::vector<ConformanceResult> Conformance::Run(const AmiModel& model, const AmiFile& file,
                                                const std::string& parameters, const ConformanceConfig& config)
{
    Context context{model, config, parameters, config.Impulse, std::string(), 0};
    if (context.Impulse.empty())
        context.Impulse.assign(1, 1.0 / context.SampleInterval());
    std::vector<ConformanceResult> results = {CheckSymbols(model, file), CheckInitDefaults(context)};
    if (!model.GetWave) {
        for (const char* name : WaveChecks) {
            results.push_back(Result(name, true, "skipped: the model has no AMI_GetWave"));
            results.back().Skipped = true;
        }
        return results;
    }
    Waves waves{Stimulus::Prbs(7, config.Bits, config.SamplesPerBit, 1.0),
                Stimulus::Prbs(15, config.Bits, config.SamplesPerBit, 0.8), {}};
    waves.Reference = waves.First.Wave;
    std::string error;
    if (!context.Through(waves.Reference, {waves.Reference.size()}, error)) {
        for (const char* name : WaveChecks)
            results.push_back(Result(name, false, "the one-call run failed: " + error));
        return results;
    }
    results.push_back(CheckBlockIndependence(context, waves));
    results.push_back(CheckInstancesIndependent(context, waves));
    results.push_back(CheckRepeatedInitClose(context, waves));
    results.push_back(CheckClockEndMark(context));
    return results;
}

#include "tools/amihost/Conformance.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

#include "tools/amihost/AmiSession.h"
#include "tools/amihost/Stimulus.h"

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

} // namespace

std::vector<ConformanceResult> Conformance::Run(const AmiModel& model, const AmiFile& file,
                                                const std::string& parameters, const ConformanceConfig& config)
{
    std::vector<ConformanceResult> results;
    Context context{model, config, parameters, config.Impulse, std::string(), 0};
    if (context.Impulse.empty())
        context.Impulse.assign(1, 1.0 / context.SampleInterval());

    // symbols
    const bool wave = model.GetWave != nullptr;
    if (wave)
        results.push_back(Result("symbols", true, "AMI_Init, AMI_GetWave and AMI_Close are exported"));
    else if (file.GetWaveExists == 0)
        results.push_back(Result("symbols", true,
                                 "AMI_Init and AMI_Close are exported; no AMI_GetWave, as the .ami declares "
                                 "GetWave_Exists False"));
    else
        results.push_back(Result("symbols", false,
                                 std::string("AMI_GetWave is missing although the .ami ") +
                                     (file.GetWaveExists == 1 ? "declares GetWave_Exists True"
                                                              : "does not declare GetWave_Exists False")));

    // init-defaults
    {
        AmiSession session(model);
        std::string error;
        const bool opened = context.Open(session, error);
        const std::string message = session.Message();
        const bool closed = session.Close();
        if (!opened)
            results.push_back(Result("init-defaults", false, error));
        else if (!closed)
            results.push_back(Result("init-defaults", false, "AMI_Init succeeded but AMI_Close returned 0"));
        else
            results.push_back(Result("init-defaults", true,
                                     "AMI_Init returned 1 with " + parameters +
                                         (message.empty() ? ", no message" : ", message: " + message)));
    }

    const char* waveChecks[] = {"block-independence", "instances-independent", "repeated-init-close",
                                "clock-end-mark"};
    if (!wave) {
        for (const char* name : waveChecks) {
            ConformanceResult r = Result(name, true, "skipped: the model has no AMI_GetWave");
            r.Skipped = true;
            results.push_back(r);
        }
        return results;
    }

    const Stimulus first = Stimulus::Prbs(7, config.Bits, config.SamplesPerBit, 1.0);
    const Stimulus second = Stimulus::Prbs(15, config.Bits, config.SamplesPerBit, 0.8);
    const std::size_t block = config.BlockSize;

    // block-independence
    std::vector<double> reference = first.Wave;
    std::string error;
    bool referenceOk = context.Through(reference, {reference.size()}, error);
    if (!referenceOk) {
        for (const char* name : waveChecks)
            results.push_back(Result(name, false, "the one-call run failed: " + error));
        return results;
    }
    {
        std::mt19937 random(config.Seed);
        std::uniform_int_distribution<std::size_t> size(1, 2 * block);
        std::vector<std::size_t> blocks = {1, 2, 3};
        for (int i = 0; i < 64; ++i)
            blocks.push_back(size(random));
        std::vector<double> cut = first.Wave;
        if (!context.Through(cut, blocks, error))
            results.push_back(Result("block-independence", false, error));
        else if (const std::string where = Difference(reference, cut); !where.empty())
            results.push_back(Result("block-independence", false, "random block sizes change the output: " + where));
        else
            results.push_back(Result("block-independence", true,
                                     std::to_string(cut.size()) + " samples in blocks of 1 .. " +
                                         std::to_string(2 * block) +
                                         " equal the one-call output bit for bit (output checksum " +
                                         Checksum(reference) + ")"));
    }

    // instances-independent
    {
        std::vector<double> alone = second.Wave;
        std::vector<double> a = first.Wave;
        std::vector<double> b = second.Wave;
        bool ok = context.Through(alone, {alone.size()}, error);
        if (ok) {
            AmiSession one(model);
            AmiSession two(model);
            ok = context.Open(one, error) && context.Open(two, error);
            for (std::size_t start = 0; ok && start < a.size(); start += block)
                ok = context.Call(one, a.data() + start, std::min(block, a.size() - start), error) &&
                     context.Call(two, b.data() + start, std::min(block, b.size() - start), error);
            const bool closedOne = one.Close();
            const bool closedTwo = two.Close();
            if (ok && !(closedOne && closedTwo)) {
                ok = false;
                error = "AMI_Close returned 0";
            }
        }
        std::string where;
        if (!ok)
            results.push_back(Result("instances-independent", false, error));
        else if (!(where = Difference(reference, a)).empty())
            results.push_back(Result("instances-independent", false, "the first instance's " + where));
        else if (!(where = Difference(alone, b)).empty())
            results.push_back(Result("instances-independent", false, "the second instance's " + where));
        else
            results.push_back(Result("instances-independent", true,
                                     "two live instances on different waves, calls interleaved, each equal "
                                     "their one-instance output"));
    }

    // repeated-init-close
    {
        const int cycles = 5;
        bool ok = true;
        std::string where;
        for (int i = 0; i < cycles && ok && where.empty(); ++i) {
            std::vector<double> again = first.Wave;
            ok = context.Through(again, {block}, error);
            if (ok)
                where = Difference(reference, again);
            if (!ok)
                error = "cycle " + std::to_string(i + 1) + ": " + error;
            else if (!where.empty())
                where = "cycle " + std::to_string(i + 1) + ": " + where;
        }
        if (!ok)
            results.push_back(Result("repeated-init-close", false, error));
        else if (!where.empty())
            results.push_back(Result("repeated-init-close", false, where));
        else
            results.push_back(Result("repeated-init-close", true,
                                     std::to_string(cycles) + " Init/GetWave/Close cycles succeed with the same output"));
    }

    // clock-end-mark
    if (context.ClockFault.empty())
        results.push_back(Result("clock-end-mark", true,
                                 "all " + std::to_string(context.ClockCalls) +
                                     " AMI_GetWave calls left the end mark -1 in clock_times"));
    else
        results.push_back(Result("clock-end-mark", false, context.ClockFault));
    return results;
}

#include "tools/amihost/check/ModelCheck.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <random>
#include <utility>

#include "tools/amihost/check/IsolatedCheck.h"
#include "tools/amihost/check/SettingLevelsCheck.h"
#include "tools/amihost/host/AmiSession.h"
#include "tools/amihost/signal/Stimulus.h"

namespace {

using Level = Finding::Level;

std::string At(const std::string& file, int line) { return line > 0 ? file + ":" + std::to_string(line) : file; }

// The line of a reserved parameter's declaration; 0 when it has none.
int ReservedLine(const AmiFile& ami, const char* name)
{
    for (const AmiDeclarations::Entry& entry : ami.Declared)
        if (entry.Reserved && entry.Name == name)
            return entry.Line;
    return 0;
}

struct Context {
    const AmiModel& Model;
    const ModelCheckConfig& Config;
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

// What one wave check found: it passed, with what it saw, or failed, with why.
struct Verdict {
    bool Pass = false;
    std::string Reason;
};

Verdict Result(const char*, bool pass, const std::string& reason) { return Verdict{pass, reason}; }

// The two test waves and the reference: the first wave through one instance in one call.
struct Waves {
    Stimulus First;
    Stimulus Second;
    std::vector<double> Reference;
};

Verdict CheckInitDefaults(Context& context)
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

Verdict CheckBlockIndependence(Context& context, const Waves& waves)
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

Verdict CheckInstancesIndependent(Context& context, const Waves& waves)
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

Verdict CheckRepeatedInitClose(Context& context, const Waves& waves)
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
Verdict CheckClockEndMark(const Context& context)
{
    if (!context.ClockFault.empty())
        return Result("clock-end-mark", false, context.ClockFault);
    return Result("clock-end-mark", true,
                  "all " + std::to_string(context.ClockCalls) +
                      " AMI_GetWave calls left the end mark -1 in clock_times");
}

const char* Flag(int value) { return value < 0 ? "not declared" : value ? "True" : "False"; }

void ParameterNames(const AmiFile& ami, KitCheckItem& item)
{
    std::map<std::string, int> paths;                          // path -> line of its first declaration
    std::map<std::string, std::size_t> named;                  // name -> its place in `names`
    std::vector<std::pair<std::string, std::string>> names;    // name, its paths; in file order
    std::vector<std::size_t> counts;                           // paths per entry of `names`
    std::size_t twice = 0;
    for (const AmiDeclarations::Entry& entry : ami.Declared) {
        const auto first = paths.emplace(entry.Path, entry.Line);
        if (!first.second) {
            ++twice;
            item.Add(Level::Error, At(ami.FileName, entry.Line),
                     "parameter " + entry.Path + " is declared again (first on line " +
                         std::to_string(first.first->second) + "): a simulator may send either");
            continue;
        }
        if (entry.Reserved)
            continue;
        const auto place = named.emplace(entry.Name, names.size());
        if (place.second) {
            names.emplace_back(entry.Name, entry.Path);
            counts.push_back(1);
        } else {
            names[place.first->second].second += ", " + entry.Path;
            ++counts[place.first->second];
        }
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        if (counts[i] > 1)
            item.Add(Level::Note, ami.FileName,
                     "the name " + names[i].first + " is declared as " + names[i].second +
                         ": --set and simulators need the dotted path");
    item.Summary = std::to_string(ami.Declared.size()) + " parameters declared" +
                   (twice ? ", " + std::to_string(twice) + " of them again" : ", none twice");
}

void GetWaveExists(const AmiFile& ami, const AmiModel& model, KitCheckItem& item)
{
    const std::string where = At(ami.FileName, ReservedLine(ami, "GetWave_Exists"));
    if (ami.GetWaveExists < 0)
        item.Add(Level::Error, where, "GetWave_Exists is not declared; IBIS-AMI requires it in Reserved_Parameters");
    else if (ami.GetWaveExists == 1 && !model.GetWave)
        item.Add(Level::Error, where, "GetWave_Exists is True, but the library exports no AMI_GetWave");
    else if (ami.GetWaveExists == 0 && model.GetWave)
        item.Add(Level::Warning, where,
                 "GetWave_Exists is False, but the library exports AMI_GetWave, which simulators then never call");
    item.Summary = std::string("GetWave_Exists ") + Flag(ami.GetWaveExists) + ", AMI_GetWave " +
                   (model.GetWave ? "exported" : "not exported");
}

// A channel for AMI_Init to equalise: h(t) of a first-order low pass of DC
// gain 1 and a time constant of one bit, over 16 bits, in 1/s.
std::vector<double> ChannelImpulse(const ModelCheckConfig& timing)
{
    const double dt = timing.BitTime / timing.SamplesPerBit;
    const double a = std::exp(-1.0 / timing.SamplesPerBit);
    std::vector<double> impulse(16 * static_cast<std::size_t>(timing.SamplesPerBit));
    double weight = (1.0 - a) / dt;
    for (double& h : impulse) {
        h = weight;
        weight *= a;
    }
    return impulse;
}

void InitReturnsImpulse(const AmiFile& ami, const AmiModel& model, const std::string& parameters,
                        const ModelCheckConfig& timing, KitCheckItem& item)
{
    const std::vector<double> impulse = ChannelImpulse(timing);
    AmiSession session(model);
    std::string error;
    if (!session.Init(impulse, timing.BitTime / timing.SamplesPerBit, timing.BitTime, parameters, error)) {
        item.Skipped = true;
        item.Summary = "not run: AMI_Init fails with the defaults (init-defaults)";
        return;
    }
    const std::vector<double>& back = session.ImpulseOut();
    std::size_t changed = 0;
    while (changed < back.size() && std::memcmp(&back[changed], &impulse[changed], sizeof(double)) == 0)
        ++changed;
    const bool unchanged = changed == back.size();
    const std::string where = At(ami.FileName, ReservedLine(ami, "Init_Returns_Impulse"));
    if (ami.InitReturnsImpulse < 0) {
        item.Add(Level::Error, where,
                 "Init_Returns_Impulse is not declared; IBIS-AMI requires it in Reserved_Parameters");
    } else if (ami.InitReturnsImpulse == 1 && unchanged) {
        item.Add(Level::Warning, where,
                 "Init_Returns_Impulse is True, but AMI_Init returns the channel's impulse unchanged (with the "
                 "defaults): a statistical flow sees no equalisation");
    } else if (ami.InitReturnsImpulse == 0 && !unchanged) {
        char text[200];
        std::snprintf(text, sizeof text, "Init_Returns_Impulse is False, but AMI_Init changes the impulse it is "
                                         "handed (sample %zu: %.17g instead of %.17g)", changed, back[changed],
                      impulse[changed]);
        item.Add(Level::Error, where, text);
    } else if (ami.InitReturnsImpulse == 0 && model.GetWave) {
        item.Add(Level::Note, where,
                 "AMI_Init returns no impulse: a statistical (Init-only) flow sees none of this model's equalisation");
    }
    item.Summary = std::string("Init_Returns_Impulse ") + Flag(ami.InitReturnsImpulse) + ", AMI_Init " +
                   (unchanged ? "leaves the impulse unchanged" : "changes the impulse");
}

// One wave check's verdict into its item: its summary when it passes, an
// Error on the library when it fails.
void Fill(KitCheckItem& item, const std::string& library, const Verdict& verdict)
{
    if (verdict.Pass)
        item.Summary = verdict.Reason;
    else
        item.Add(Level::Error, library, verdict.Reason);
}

using WaveCheck = Verdict (*)(Context&, const Waves&);

Verdict ClockEndMark(Context& context, const Waves&) { return CheckClockEndMark(context); }

// The wave checks in order.
const std::pair<const char*, WaveCheck> WaveChecks[] = {{"block-independence", CheckBlockIndependence},
                                                        {"instances-independent", CheckInstancesIndependent},
                                                        {"repeated-init-close", CheckRepeatedInitClose},
                                                        {"clock-end-mark", ClockEndMark}};

// Wave check `index` in a fresh context (each runs in a child of its own,
// IsolatedCheck) after what ran before it in one process: init-defaults,
// the one-call reference run and the checks before it. So each sees the
// model's process in the state a serial run leaves (a model whose instances
// leak is caught where it runs out), and clock-end-mark judges the clock
// times of every call.
Verdict WaveCheckAlone(const Context& start, std::size_t index)
{
    Context context = start;
    const ModelCheckConfig& config = context.Config;
    CheckInitDefaults(context);
    Waves waves{Stimulus::Prbs(7, config.Bits, config.SamplesPerBit, 1.0),
                Stimulus::Prbs(15, config.Bits, config.SamplesPerBit, 0.8), {}};
    waves.Reference = waves.First.Wave;
    std::string error;
    if (!context.Through(waves.Reference, {waves.Reference.size()}, error))
        return Result(WaveChecks[index].first, false, "the one-call run failed: " + error);
    for (std::size_t i = 0; i < index; ++i)
        WaveChecks[i].second(context, waves);
    return WaveChecks[index].second(context, waves);
}

// init-defaults and the wave checks, on a unit impulse: AMI_Init with the
// parameter string, then the output's independence of the block sizes, of
// another live instance and of earlier Init/Close cycles, and the end mark
// of the clock times after every call. Without AMI_GetWave the wave checks
// are skipped. Each runs in a child of its own.
void WaveContract(const std::string& library, const AmiModel& model, const std::string& parameters,
                  const ModelCheckConfig& config, KitCheckReport& report)
{
    Context context{model, config, parameters, {}, std::string(), 0};
    context.Impulse.assign(1, 1.0 / context.SampleInterval());
    IsolatedCheck::Run(report, "init-defaults", library,
                       [&](KitCheckItem& item) { Fill(item, library, CheckInitDefaults(context)); });
    if (!model.GetWave) {
        for (const auto& check : WaveChecks)
            report.Skip(check.first, "skipped: the model has no AMI_GetWave");
        return;
    }
    for (std::size_t i = 0; i < std::size(WaveChecks); ++i)
        IsolatedCheck::Run(report, WaveChecks[i].first, library,
                           [&](KitCheckItem& item) { Fill(item, library, WaveCheckAlone(context, i)); });
}

// One declared value on a new instance, the other parameters at their
// defaults (or --set). Messages other than a fallback are gathered in
// `notes` (message -> the values that gave it).
void TryValue(const AmiModel& model, const AmiFile& ami, const AmiParameterDefinition& d, const std::string& value,
              const ModelCheckConfig& config, KitCheckItem& item, std::map<std::string, std::string>& notes)
{
    std::vector<ParameterString::Setting> settings = config.Settings;
    settings.push_back({d.DottedPath(), value});
    const std::string name = d.DottedPath() + "=" + value;
    const std::string where = At(ami.FileName, d.Line);
    std::string parameters;
    std::string error;
    if (!ParameterString::Build(ami, settings, parameters, error)) {
        item.Add(Level::ProgramBug, where, name + ": the .ami's definition refuses a value it declares: " + error);
        return;
    }
    const ModelCheckConfig& t = config;
    AmiSession session(model);
    if (!session.Init({}, t.BitTime / t.SamplesPerBit, t.BitTime, parameters, error)) {
        item.Add(Level::Error, where, name + ": " + error);
        return;
    }
    const std::string& message = session.Message();
    if (ModelCheck::SaysFallback(message))
        item.Add(Level::Error, where, name + ": AMI_Init does not take the value: " + message);
    else if (!message.empty())
        notes[message] += (notes[message].empty() ? "" : ", ") + value;
    std::vector<double> wave = Stimulus::Step(8, t.SamplesPerBit, 1.0).Wave;
    if (model.GetWave && !session.Process(wave, t.BlockSize, {}, error))
        item.Add(Level::Error, where, name + ": AMI_Init takes the value, but " + error);
}

void TryDeclaredValues(const AmiModel& model, const AmiFile& ami, const ModelCheckConfig& config, KitCheckItem& item)
{
    std::size_t tried = 0;
    std::string list;
    for (const AmiParameterDefinition& d : ami.Parameters) {
        const std::string where = At(ami.FileName, d.Line);
        std::vector<std::string> values = ModelCheck::DeclaredValues(d);
        if (values.size() > ModelCheck::MaxValuesPerParameter) {
            item.Add(Level::Note, where,
                     d.DottedPath() + " declares " + std::to_string(values.size()) + " values; the first " +
                         std::to_string(ModelCheck::MaxValuesPerParameter) + " are tried");
            values.resize(ModelCheck::MaxValuesPerParameter);
        }
        std::map<std::string, std::string> notes;
        list += (list.empty() ? "" : "; ") + d.DottedPath();
        for (const std::string& value : values) {
            TryValue(model, ami, d, value, config, item, notes);
            list += (&value == &values.front() ? " " : ", ") + value;
            ++tried;
        }
        for (const auto& [message, which] : notes)
            item.Add(Level::Note, where, d.DottedPath() + "=" + which + ": AMI_Init says: " + message);
    }
    if (list.size() > 80)
        list = list.substr(0, 77) + "...";
    item.Summary = ami.Parameters.empty() ? "no parameter is sent to the model"
                                          : std::to_string(tried) + " declared values tried (" + list + ")";
}

} // namespace

void ModelCheck::Run(const std::string& library, const AmiFile& ami, const ModelCheckConfig& config,
                     KitCheckReport& report)
{
    std::string parameters;
    std::string error;
    if (!ParameterString::Build(ami, config.Settings, parameters, error)) {
        report.UsageError = "--set: " + error;
        return;
    }
    report.Run("parameter-names", [&](KitCheckItem& item) { ParameterNames(ami, item); });
    AmiModel model;
    const KitCheckItem& load = report.Run("library", [&](KitCheckItem& item) {
        if (!model.Load(library, error))
            item.Add(Level::Error, "", error);
        else
            item.Summary = model.GetWave ? "loads: AMI_Init, AMI_GetWave and AMI_Close exported"
                                         : "loads: AMI_Init and AMI_Close exported, no AMI_GetWave";
    });
    if (!load.Findings.empty()) {
        report.Skip("model-checks", "not run: the library does not load");
        return;
    }
    report.Run("getwave-exists", [&](KitCheckItem& item) { GetWaveExists(ami, model, item); });
    WaveContract(library, model, parameters, config, report);
    IsolatedCheck::Run(report, "init-returns-impulse", library,
                       [&](KitCheckItem& item) { InitReturnsImpulse(ami, model, parameters, config, item); });
    IsolatedCheck::Run(report, "declared-values", library,
                       [&](KitCheckItem& item) { TryDeclaredValues(model, ami, config, item); });
    IsolatedCheck::Run(report, "setting-levels", library,
                       [&](KitCheckItem& item) { SettingLevelsCheck::Run(model, ami, config, item); });
}

bool ModelCheck::SaysFallback(const std::string& message)
{
    std::string lower = message;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* word : {"default", "fall back", "fallback", "falls back", "invalid", "unknown", "ignor",
                             "out of range", "unable", "cannot read", "could not read"})
        if (lower.find(word) != std::string::npos)
            return true;
    return false;
}

std::vector<std::string> ModelCheck::DeclaredValues(const AmiParameterDefinition& d)
{
    std::vector<std::string> values;
    const bool bounded = d.Format == AmiKeywordRange || d.Format == AmiKeywordIncrement || d.Format == AmiKeywordSteps;
    if (bounded && d.Values.size() >= 3)
        values = {d.Values[1], d.Values[2]};
    else
        values = d.Values;
    values.push_back(d.Default);
    std::vector<std::string> once;
    for (const std::string& value : values)
        if (std::find(once.begin(), once.end(), value) == once.end())
            once.push_back(value);
    return once;
}

#include "tools/amihost/host/ModelCheck.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "tools/amihost/host/AmiModel.h"
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
std::vector<double> ChannelImpulse(const ConformanceConfig& timing)
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
                        const ConformanceConfig& timing, KitCheckItem& item)
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

void Conformances(const std::string& library, const AmiModel& model, const AmiFile& ami,
                  const std::string& parameters, const ConformanceConfig& timing, KitCheckReport& report)
{
    for (const ConformanceResult& r : Conformance::Run(model, ami, parameters, timing)) {
        if (r.Name == "symbols")
            continue; // getwave-exists judges the exports together with the .ami's declaration
        report.Run(r.Name, [&](KitCheckItem& item) {
            item.Skipped = r.Skipped;
            if (r.Pass)
                item.Summary = r.Reason;
            else
                item.Add(Level::Error, library, r.Reason);
        });
    }
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
    const ConformanceConfig& t = config.Timing;
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
    Conformances(library, model, ami, parameters, config.Timing, report);
    report.Run("init-returns-impulse",
               [&](KitCheckItem& item) { InitReturnsImpulse(ami, model, parameters, config.Timing, item); });
    report.Run("declared-values", [&](KitCheckItem& item) { TryDeclaredValues(model, ami, config, item); });
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

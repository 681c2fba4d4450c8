// The rules of [Model] and its sub-parameters, [Add Submodel], the
// [Algorithmic Model] and [Model Selector].

#include "ibis/IbisPlatform.h"
#include "ibis/IbisRules.h"
#include "ibis/reader/IbisSyntax.h"
#include "ibis/rules/IbisRuleParts.h"

namespace IbisRuleParts {

namespace {

using Syntax = IbisSyntax;

// What a Model_type asks for, keyed by its name in lower case.
struct ModelKind {
    const char* Name;
    bool Drives; // the buffer drives its pin: [Voltage Range] and [Ramp] required
    bool NeedsPulldown;
    bool NeedsPullup;
};
const ModelKind ModelKinds[] = {
    {"input", false, false, false},         {"output", true, true, true},
    {"i/o", true, true, true},              {"3-state", true, true, true},
    {"open_drain", true, true, false},      {"i/o_open_drain", true, true, false},
    {"open_sink", true, true, false},       {"i/o_open_sink", true, true, false},
    {"open_source", true, false, true},     {"i/o_open_source", true, false, true},
    {"input_ecl", false, false, false},     {"output_ecl", true, true, true},
    {"i/o_ecl", true, true, true},          {"3-state_ecl", true, true, true},
    {"terminator", false, false, false},    {"series", false, false, false},
    {"series_switch", false, false, false}, {"input_diff", false, false, false},
    {"output_diff", true, true, true},      {"i/o_diff", true, true, true},
    {"3-state_diff", true, true, true},
};

const ModelKind* KindOf(const std::string& type)
{
    const std::string lower = Syntax::LowerCase(type);
    for (const ModelKind& kind : ModelKinds)
        if (lower == kind.Name)
            return &kind;
    return nullptr;
}

bool IsReservedWord(const std::string& name)
{
    const std::string lower = Syntax::LowerCase(name);
    return lower == "power" || lower == "gnd" || lower == "nc" || lower == "na" || lower == "circuitcall";
}

// C_comp is required unless the model splits it over its elements with
// C_comp_pullup, C_comp_pulldown, C_comp_power_clamp or C_comp_gnd_clamp
// (IBIS 5.0 on; before 5.0 those are no sub-parameters).
void Capacitance(const IbisFile& file, const IbisModel& m, IbisFindings& out)
{
    const struct {
        const char* Name;
        const IbisCorners<double>& Value;
    } parts[] = {{"C_comp_pullup", m.CCompPullup},
                 {"C_comp_pulldown", m.CCompPulldown},
                 {"C_comp_power_clamp", m.CCompPowerClamp},
                 {"C_comp_gnd_clamp", m.CCompGndClamp}};
    bool split = false;
    for (const auto& part : parts) {
        if (!part.Value.Line)
            continue;
        if (Version(file) < 500 && !split) // one finding a model: the others say the same
            out.Error("c-comp", part.Value.Line,
                      std::string(part.Name) + " is IBIS 5.0 or later; the file says [IBIS Ver] " +
                          Syntax::Shown(file.IbisVer.Text));
        split = true;
        Order(out, part.Value, part.Name);
    }
    if (!m.CComp.Line && !split)
        out.Error("c-comp", m.Line,
                  "[Model] " + Syntax::Shown(m.Name) + " has no C_comp" +
                      (Version(file) >= 500 ? " (nor C_comp_pullup, C_comp_pulldown and the clamps' parts)" : ""));
    else if (m.CComp.Line && !m.CComp.Typ)
        out.Error("c-comp", m.CComp.Line, "C_comp has no typ value (NA)");
    else if (m.CComp.Line)
        Order(out, m.CComp, "C_comp");
}

// What a model that drives its pin must have. Its supply is [Voltage Range]
// or, instead, the references of its tables ([Pullup Reference], ...).
void Driver(const IbisFile& file, const IbisModel& m, const ModelKind& kind, IbisFindings& out)
{
    const std::string of =
        "[Model] " + Syntax::Shown(m.Name) + " (Model_type " + Syntax::Shown(m.ModelType.Text) + ")";
    if (!m.VoltageRange.Line && ModelKeywords(file, m, " reference").empty())
        out.Error("driver", m.Line, of + " has no [Voltage Range] (nor references such as [Pullup Reference])");
    else if (!m.VoltageRange.Typ)
        out.Error("driver", m.VoltageRange.Line, "[Voltage Range] has no typ value (NA)");
    if (kind.NeedsPulldown && !m.Pulldown.Line)
        out.Error("driver", m.Line, of + " has no [Pulldown]");
    if (kind.NeedsPullup && !m.Pullup.Line)
        out.Error("driver", m.Line, of + " has no [Pullup]");
    if (!m.Ramp.Line)
        out.Error("driver", m.Line, of + " has no [Ramp]");
}

void Algorithmic(const IbisFile& file, const IbisModel& m, IbisFindings& out)
{
    const IbisAlgorithmicModel& a = m.Algorithmic;
    if (!a.Line)
        return;
    if (a.Executables.empty())
        out.Error("algorithmic", a.Line,
                  "[Algorithmic Model] of [Model] " + Syntax::Shown(m.Name) + " has no Executable line");
    for (const IbisExecutable& e : a.Executables)
        if (IbisPlatform::Parse(e.Platform).System.empty())
            out.Error("algorithmic", e.Line,
                      "platform " + Syntax::Quoted(e.Platform) + " is not SYSTEM_COMPILER_BITS, such as Linux_gcc_64");
    (void)file;
}

void Submodels(const IbisFile& file, const IbisModel& m, IbisFindings& out)
{
    for (const IbisSubmodelUse& use : m.AddSubmodels) {
        bool found = false;
        for (const IbisDefinition& d : file.Submodels)
            found = found || d.Name == use.Name;
        if (!found)
            out.Error("submodel", use.Line,
                      "[Add Submodel] names " + Syntax::Quoted(use.Name) + ", which is no [Submodel] of the file");
        const std::string mode = Syntax::LowerCase(use.Mode);
        if (mode != "driving" && mode != "non-driving" && mode != "all")
            out.Error("submodel", use.Line,
                      "[Add Submodel] mode " + Syntax::Quoted(use.Mode) + " is not Driving, Non-Driving or All");
    }
}

void Model(const IbisFile& file, const IbisModel& m, IbisFindings& out)
{
    Length(out, m.Line, "[Model] name", m.Name, IbisRules::NameLimit);
    if (IsReservedWord(m.Name))
        out.Error("model-name", m.Line, "[Model] " + Syntax::Quoted(m.Name) + " is named with a reserved word");
    const ModelKind* kind = KindOf(m.ModelType.Text);
    if (!m.ModelType.Line)
        out.Error("model-type", m.Line, "[Model] " + Syntax::Shown(m.Name) + " has no Model_type");
    else if (!kind)
        out.Error("model-type", m.ModelType.Line,
                  "Model_type " + Syntax::Quoted(m.ModelType.Text) + " is not a type of IBIS");
    Capacitance(file, m, out);
    if (kind && kind->Drives)
        Driver(file, m, *kind, out);
    Tables(file, m, out);
    Algorithmic(file, m, out);
    Submodels(file, m, out);
}

void Selectors(const IbisFile& file, IbisFindings& out)
{
    for (const IbisModelSelector& selector : file.ModelSelectors) {
        Length(out, selector.Line, "[Model Selector] name", selector.Name, IbisRules::NameLimit);
        if (const IbisModel* model = file.FindModel(selector.Name))
            out.Error("selector", selector.Line,
                      "[Model Selector] " + Syntax::Quoted(selector.Name) + " has the name of the [Model] of line " +
                          std::to_string(model->Line) + ": a [Pin] row naming it is ambiguous");
        for (const IbisModelSelector::Entry& entry : selector.Models)
            if (!file.FindModel(entry.Model))
                out.Error("selector", entry.Line,
                          "[Model Selector] " + Syntax::Shown(selector.Name) + " names " + Syntax::Quoted(entry.Model) +
                              ", which is no [Model] of the file");
    }
}

} // namespace

void Models(const IbisFile& file, IbisFindings& out)
{
    for (const IbisModel& model : file.Models)
        Model(file, model, out);
    Selectors(file, out);
}

} // namespace IbisRuleParts

namespace IbisRuleParts {

std::vector<IbisKeywordUse> ModelKeywords(const IbisFile& file, const IbisModel& model, const std::string& suffix)
{
    std::vector<IbisKeywordUse> found;
    bool inside = false;
    for (const IbisKeywordUse& use : file.Keywords) {
        if (use.Line == model.Line) {
            inside = true;
            continue;
        }
        if (!inside)
            continue;
        if (use.Name == "model" || use.Name == "submodel" || use.Name == "model selector" || use.Name == "end")
            break;
        if (use.Name.size() >= suffix.size() &&
            use.Name.compare(use.Name.size() - suffix.size(), suffix.size(), suffix) == 0)
            found.push_back(use);
    }
    return found;
}

} // namespace IbisRuleParts

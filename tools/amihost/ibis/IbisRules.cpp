#include "tools/amihost/ibis/IbisRules.h"

#include <cstdio>
#include <set>
#include <string>

#include "tools/amihost/ibis/IbisPlatform.h"
#include "tools/amihost/ibis/IbisSyntax.h"

namespace {

using Syntax = IbisSyntax;

// The findings of one file, each at a line of it (0: the file as a whole),
// up to MaxFindings.
class Findings {
public:
    explicit Findings(const std::string& path) : path_(path) {}

    void Add(Finding::Level level, int line, const std::string& what)
    {
        if (list_.size() < IbisRules::MaxFindings)
            list_.push_back({level, line > 0 ? path_ + ":" + std::to_string(line) : path_, what});
        else
            ++dropped_;
    }
    void Error(int line, const std::string& what) { Add(Finding::Error, line, what); }

    std::vector<Finding> Take()
    {
        if (dropped_ > 0)
            list_.push_back({Finding::Note, path_,
                             std::to_string(dropped_) + " more findings of the IBIS rules are not listed"});
        return std::move(list_);
    }

private:
    const std::string& path_;
    std::vector<Finding> list_;
    std::size_t dropped_ = 0; // findings past MaxFindings
};

// What a Model_type asks for, keyed by its name in lower case.
struct ModelKind {
    const char* Name;
    bool Drives;       // the buffer drives its pin: [Voltage Range] and [Ramp] required
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

// The published versions of IBIS, as MAJOR * 100 + MINOR.
const int Versions[] = {100, 101, 200, 201, 300, 301, 302, 400, 401, 402, 500, 501, 600, 601, 700, 701, 702};
constexpr int Newest = 702;

bool IsReservedWord(const std::string& name)
{
    const std::string lower = Syntax::LowerCase(name);
    return lower == "power" || lower == "gnd" || lower == "nc" || lower == "na" || lower == "circuitcall";
}

std::string BaseName(const std::string& path)
{
    const std::size_t at = path.find_last_of("/\\");
    return at == std::string::npos ? path : path.substr(at + 1);
}

void Length(Findings& out, int line, const std::string& what, const std::string& name, std::size_t limit)
{
    if (name.size() > limit)
        out.Error(line, what + " " + Syntax::Quoted(name) + " has " + std::to_string(name.size()) +
                            " characters; IBIS allows " + std::to_string(limit));
}

int Version(const IbisFile& file) { return file.VersionMajor * 100 + file.VersionMinor; }

std::string Volts(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g V", value);
    return text;
}

void CheckHeader(const IbisFile& file, Findings& out)
{
    const int version = Version(file);
    bool published = false;
    for (const int v : Versions)
        published = published || v == version;
    if (version > Newest)
        out.Add(Finding::Note, file.IbisVer.Line,
                "[IBIS Ver] " + Syntax::Shown(file.IbisVer.Text) + " is newer than the rules known here (7.2)");
    else if (!published)
        out.Add(Finding::Warning, file.IbisVer.Line,
                "[IBIS Ver] " + Syntax::Shown(file.IbisVer.Text) + " is not a published version of IBIS");
    if (!file.FileName.Line) {
        out.Error(0, "no [File Name]");
    } else {
        const std::string own = BaseName(file.Path);
        Length(out, file.FileName.Line, "[File Name]", file.FileName.Text, IbisRules::NameLimit);
        if (file.FileName.Text != own)
            out.Add(Finding::Warning, file.FileName.Line,
                    "[File Name] " + Syntax::Quoted(file.FileName.Text) + " is not the file's own name " +
                        Syntax::Quoted(own));
    }
    if (!file.FileRev.Line)
        out.Error(0, "no [File Rev]");
    if (file.TextAfterEndLine)
        out.Add(Finding::Warning, file.TextAfterEndLine, "text after [End], which readers ignore");
    const std::size_t limit = IbisRules::LineLimit(file);
    for (const IbisLongLine& line : file.LongLines)
        if (line.Length > limit)
            out.Error(line.Line, "line of " + std::to_string(line.Length) + " characters; IBIS " +
                                     Syntax::Shown(file.IbisVer.Text) + " allows " + std::to_string(limit));
}

bool NamesModel(const IbisFile& file, const std::string& name)
{
    if (file.FindModel(name))
        return true;
    for (const IbisModelSelector& selector : file.ModelSelectors)
        if (selector.Name == name)
            return true;
    return false;
}

void CheckPackage(const IbisComponent& c, Findings& out)
{
    const std::string of = "[Component] " + Syntax::Shown(c.Name);
    if (!c.Package.Line) {
        out.Error(c.Line, of + " has no [Package]");
        return;
    }
    const struct {
        const char* Name;
        const IbisCorners<double>& Value;
    } values[] = {{"R_pkg", c.Package.R}, {"L_pkg", c.Package.L}, {"C_pkg", c.Package.C}};
    for (const auto& v : values) {
        if (!v.Value.Line)
            out.Error(c.Package.Line, "[Package] of " + of + " has no " + v.Name);
        else if (!v.Value.Typ)
            out.Error(v.Value.Line, std::string(v.Name) + " has no typ value (NA)");
    }
}

void CheckPins(const IbisFile& file, const IbisComponent& c, Findings& out)
{
    if (!c.PinLine) {
        out.Error(c.Line, "[Component] " + Syntax::Shown(c.Name) + " has no [Pin]");
        return;
    }
    if (c.Pins.empty())
        out.Error(c.PinLine, "[Pin] lists no pin");
    std::set<std::string> names;
    for (const IbisPin& pin : c.Pins) {
        Length(out, pin.Line, "pin name", pin.Name, IbisRules::PinNameLimit);
        Length(out, pin.Line, "signal name", pin.Signal, IbisRules::NameLimit);
        if (!names.insert(pin.Name).second)
            out.Error(pin.Line, "pin " + Syntax::Shown(pin.Name) + " is listed twice");
        const std::string model = Syntax::LowerCase(pin.Model);
        if (model != "power" && model != "gnd" && model != "nc" && !NamesModel(file, pin.Model))
            out.Error(pin.Line, "pin " + Syntax::Shown(pin.Name) + " names " + Syntax::Quoted(pin.Model) +
                                    ", which is no [Model] or [Model Selector] of the file");
    }
    for (const IbisDiffPin& pair : c.DiffPins)
        for (const std::string* pin : {&pair.Pin, &pair.InvertedPin})
            if (!names.count(*pin))
                out.Error(pair.Tdelay.Line,
                          "[Diff Pin] names pin " + Syntax::Shown(*pin) + ", which [Pin] does not list");
}

void CheckComponents(const IbisFile& file, Findings& out)
{
    if (file.Components.empty())
        out.Error(0, "no [Component]");
    for (const IbisComponent& c : file.Components) {
        Length(out, c.Line, "[Component] name", c.Name, IbisRules::NameLimit);
        if (!c.Manufacturer.Line)
            out.Error(c.Line, "[Component] " + Syntax::Shown(c.Name) + " has no [Manufacturer]");
        else if (c.Manufacturer.Text.empty())
            out.Error(c.Manufacturer.Line, "[Manufacturer] names no one");
        CheckPackage(c, out);
        CheckPins(file, c, out);
    }
}

void CheckTable(const char* name, const IbisIvTable& table, Findings& out)
{
    const std::string what = std::string("[") + name + "]";
    if (table.Rows.size() < 2 || table.Rows.size() > IbisRules::TableRowLimit)
        out.Error(table.Line, what + " has " + std::to_string(table.Rows.size()) + " rows; IBIS asks for 2 to " +
                                  std::to_string(IbisRules::TableRowLimit));
    for (std::size_t i = 0; i < table.Rows.size(); ++i) {
        const IbisIvRow& row = table.Rows[i];
        if (!row.Current.Typ)
            out.Error(row.Current.Line, what + " row has no typ current (NA)");
        if (i > 0 && !(row.Voltage > table.Rows[i - 1].Voltage)) {
            out.Error(row.Current.Line, what + " voltages do not rise: " + Volts(row.Voltage) + " after " +
                                            Volts(table.Rows[i - 1].Voltage));
            break; // one finding per table: the rest follows from it
        }
    }
}

void CheckRamp(const IbisModel& m, Findings& out)
{
    const struct {
        const char* Name;
        const IbisCorners<IbisSlope>& Rate;
    } rates[] = {{"dV/dt_r", m.Ramp.Rising}, {"dV/dt_f", m.Ramp.Falling}};
    for (const auto& r : rates) {
        if (!r.Rate.Line) {
            out.Error(m.Ramp.Line, "[Ramp] of [Model] " + Syntax::Shown(m.Name) + " has no " + r.Name);
            continue;
        }
        if (!r.Rate.Typ)
            out.Error(r.Rate.Line, std::string(r.Name) + " has no typ value (NA)");
        for (const std::optional<IbisSlope>* slope : {&r.Rate.Typ, &r.Rate.Min, &r.Rate.Max})
            if (*slope && !((*slope)->Dv > 0.0 && (*slope)->Dt > 0.0)) {
                out.Error(r.Rate.Line, std::string(r.Name) + " needs a positive dV and a positive dt");
                break;
            }
    }
}

// What a model that drives its pin must have.
void CheckDriver(const IbisModel& m, const ModelKind& kind, Findings& out)
{
    const std::string of = "[Model] " + Syntax::Shown(m.Name) + " (Model_type " + Syntax::Shown(m.ModelType.Text) + ")";
    if (!m.VoltageRange.Line)
        out.Error(m.Line, of + " has no [Voltage Range]");
    else if (!m.VoltageRange.Typ)
        out.Error(m.VoltageRange.Line, "[Voltage Range] has no typ value (NA)");
    if (kind.NeedsPulldown && !m.Pulldown.Line)
        out.Error(m.Line, of + " has no [Pulldown]");
    if (kind.NeedsPullup && !m.Pullup.Line)
        out.Error(m.Line, of + " has no [Pullup]");
    if (!m.Ramp.Line)
        out.Error(m.Line, of + " has no [Ramp]");
}

void CheckAlgorithmic(const IbisFile& file, const IbisModel& m, Findings& out)
{
    const IbisAlgorithmicModel& a = m.Algorithmic;
    if (!a.Line)
        return;
    if (Version(file) < 500)
        out.Error(a.Line, "[Algorithmic Model] needs [IBIS Ver] 5.0 or later; the file says " +
                              Syntax::Shown(file.IbisVer.Text));
    if (a.Executables.empty())
        out.Error(a.Line, "[Algorithmic Model] of [Model] " + Syntax::Shown(m.Name) + " has no Executable line");
    for (const IbisExecutable& e : a.Executables)
        if (IbisPlatform::Parse(e.Platform).System.empty())
            out.Error(e.Line, "platform " + Syntax::Quoted(e.Platform) +
                                  " is not SYSTEM_COMPILER_BITS, such as Linux_gcc_64");
}

void CheckModel(const IbisFile& file, const IbisModel& m, Findings& out)
{
    Length(out, m.Line, "[Model] name", m.Name, IbisRules::NameLimit);
    if (IsReservedWord(m.Name))
        out.Error(m.Line, "[Model] " + Syntax::Quoted(m.Name) + " is named with a reserved word");
    const ModelKind* kind = KindOf(m.ModelType.Text);
    if (!m.ModelType.Line)
        out.Error(m.Line, "[Model] " + Syntax::Shown(m.Name) + " has no Model_type");
    else if (!kind)
        out.Error(m.ModelType.Line, "Model_type " + Syntax::Quoted(m.ModelType.Text) + " is not a type of IBIS");
    if (!m.CComp.Line)
        out.Error(m.Line, "[Model] " + Syntax::Shown(m.Name) + " has no C_comp");
    else if (!m.CComp.Typ)
        out.Error(m.CComp.Line, "C_comp has no typ value (NA)");
    if (kind && kind->Drives)
        CheckDriver(m, *kind, out);
    const struct {
        const char* Name;
        const IbisIvTable& Table;
    } tables[] = {{"Pulldown", m.Pulldown}, {"Pullup", m.Pullup}, {"GND Clamp", m.GndClamp},
                  {"POWER Clamp", m.PowerClamp}};
    for (const auto& t : tables)
        if (t.Table.Line)
            CheckTable(t.Name, t.Table, out);
    if (m.Ramp.Line)
        CheckRamp(m, out);
    CheckAlgorithmic(file, m, out);
}

void CheckSelectors(const IbisFile& file, Findings& out)
{
    for (const IbisModelSelector& selector : file.ModelSelectors) {
        Length(out, selector.Line, "[Model Selector] name", selector.Name, IbisRules::NameLimit);
        for (const IbisModelSelector::Entry& entry : selector.Models)
            if (!file.FindModel(entry.Model))
                out.Error(entry.Line, "[Model Selector] " + Syntax::Shown(selector.Name) + " names " +
                                          Syntax::Quoted(entry.Model) + ", which is no [Model] of the file");
    }
}

} // namespace

std::size_t IbisRules::LineLimit(const IbisFile& file) { return Version(file) >= 501 ? 120 : 80; }

std::vector<Finding> IbisRules::Check(const IbisFile& file)
{
    Findings out(file.Path);
    CheckHeader(file, out);
    CheckComponents(file, out);
    for (const IbisModel& model : file.Models)
        CheckModel(file, model, out);
    CheckSelectors(file, out);
    return out.Take();
}

// Fuzz target of the IBIS reader: the whole input is the text of an IBIS
// file read as "kit/fuzz.ibs"; the rules then run on what reads as each
// kind of file (.ibs, .pkg, .ebd), whose seeds are in the corpus too.
//
// Besides sanitizer findings, the target traps when:
//   - the reader fails without a reason, succeeds with one, or leaves records
//     behind a failure; a reason is not one printable line
//     "kit/fuzz.ibs:LINE: what" with LINE inside the text;
//   - a record's line lies outside the text, after [End], or out of the
//     order of the file (a row before its table, an Executable outside its
//     [Algorithmic Model], models or components out of order);
//   - the lookups disagree with the records: FindModel, AmiModels,
//     SelectAmiModel, and FindExecutable for several platforms (the line it
//     picks must belong to the model, run on the platform, be the first
//     with the platform's compiler when there is one, and have its files
//     resolved beside the .ibs; when it finds none, no line runs there);
//   - a second read of the same text, or of the text with CRLF line ends
//     (when it has no CR of its own), gives another result;
//   - the IBIS rules on a file that reads give a finding at a line outside
//     the text, one that is not a printable line, one without its rule, or
//     a PROGRAM BUG.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ibis/IbisFile.h"
#include "ibis/IbisRules.h"

namespace {

const char Path[] = "kit/fuzz.ibs";

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Writes every record of a file into one text (to compare two reads) and
// checks each line number on the way.
class Walker {
public:
    Walker(int lineCount, int endLine) : lineCount_(lineCount), endLine_(endLine) {}

    void Line(int line, int after = 0)
    {
        Check(line >= 1 && line <= lineCount_ && line <= endLine_ && line > after);
        Text(std::to_string(line));
    }
    void Optional(int line, int after = 0)
    {
        if (line)
            Line(line, after);
        else
            Text("-");
    }
    void Text(const std::string& text) { out_ += text + "|"; }
    template <typename T>
    void Corners(const IbisCorners<T>& corners, int after);
    void Model(const IbisModel& model);
    void Component(const IbisComponent& component);
    std::string Take() { return std::move(out_); }

private:
    int lineCount_;
    int endLine_;
    std::string out_;
};

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%a", value); // every bit
    return text;
}

std::string Number(const IbisSlope& slope) { return Number(slope.Dv) + "/" + Number(slope.Dt); }

template <typename T>
void Walker::Corners(const IbisCorners<T>& corners, int after)
{
    Optional(corners.Line, after);
    for (const std::optional<T>* value : {&corners.Typ, &corners.Min, &corners.Max})
        Text(*value ? Number(**value) : "NA");
}

void Walker::Model(const IbisModel& m)
{
    Line(m.Line);
    Text(m.Name + " " + m.ModelType.Text + " " + m.Polarity.Text);
    Optional(m.ModelType.Line, m.Line);
    Optional(m.Polarity.Line, m.Line);
    Corners(m.CComp, m.Line);
    for (const IbisValue* value : {&m.Vmeas, &m.Vref, &m.Rref, &m.Cref}) {
        Optional(value->Line, m.Line);
        Text(value->Value ? Number(*value->Value) : "NA");
    }
    Corners(m.TemperatureRange, m.Line);
    Corners(m.VoltageRange, m.Line);
    for (const IbisIvTable* table : {&m.Pulldown, &m.Pullup, &m.GndClamp, &m.PowerClamp}) {
        Optional(table->Line, m.Line);
        Check(table->Line || table->Rows.empty());
        for (const IbisIvRow& row : table->Rows) {
            Text(Number(row.Voltage));
            Corners(row.Current, table->Line);
        }
    }
    Optional(m.Ramp.Line, m.Line);
    Corners(m.Ramp.Rising, m.Ramp.Line);
    Corners(m.Ramp.Falling, m.Ramp.Line);
    Optional(m.Ramp.RLoad.Line, m.Ramp.Line);
    for (const IbisCorners<double>* part : {&m.CCompPullup, &m.CCompPulldown, &m.CCompPowerClamp, &m.CCompGndClamp})
        Corners(*part, m.Line);
    for (const std::vector<IbisWaveform>* list : {&m.RisingWaveforms, &m.FallingWaveforms})
        for (const IbisWaveform& w : *list) {
            Line(w.Line, m.Line);
            for (const IbisValue* value : {&w.RFixture, &w.VFixture, &w.VFixtureMin, &w.VFixtureMax, &w.LFixture,
                                           &w.CFixture, &w.RDut, &w.LDut, &w.CDut}) {
                Optional(value->Line, w.Line);
                Text(value->Value ? Number(*value->Value) : "NA");
            }
            for (const IbisWaveform::Row& row : w.Rows) {
                Text(Number(row.Time));
                Corners(row.Voltage, w.Line);
            }
        }
    Optional(m.AddSubmodelLine, m.Line);
    for (const IbisSubmodelUse& use : m.AddSubmodels) {
        Line(use.Line, m.AddSubmodelLine);
        Text(use.Name + " " + use.Mode);
    }
    Optional(m.Algorithmic.Line, m.Line);
    Check(m.Algorithmic.Line ? m.Algorithmic.EndLine > m.Algorithmic.Line : m.Algorithmic.EndLine == 0);
    for (const IbisExecutable& e : m.Algorithmic.Executables) {
        Line(e.Line, m.Algorithmic.Line);
        Check(e.Line < m.Algorithmic.EndLine);
        Text(e.Kind + " " + e.Platform + " " + e.Library + " " + e.ParameterFile);
    }
}

void Walker::Component(const IbisComponent& c)
{
    Line(c.Line);
    Text(c.Name + " " + c.Manufacturer.Text);
    Optional(c.Manufacturer.Line, c.Line);
    Optional(c.Package.Line, c.Line);
    for (const IbisCorners<double>* value : {&c.Package.R, &c.Package.L, &c.Package.C})
        Corners(*value, c.Package.Line);
    Optional(c.PinLine, c.Line);
    for (const IbisPin& pin : c.Pins) {
        Line(pin.Line, c.PinLine);
        Text(pin.Name + " " + pin.Signal + " " + pin.Model);
        for (const std::optional<double>* value : {&pin.R, &pin.L, &pin.C})
            Text(*value ? Number(**value) : "NA");
    }
    Optional(c.PackageModel.Line, c.Line);
    Text(c.PackageModel.Text);
    Optional(c.DiffPinLine, c.Line);
    for (const IbisDiffPin& pair : c.DiffPins) {
        Text(pair.Pin + " " + pair.InvertedPin + " " + (pair.Vdiff ? Number(*pair.Vdiff) : "NA"));
        Corners(pair.Tdelay, c.DiffPinLine);
    }
}

std::string Describe(const IbisFile& f, int lineCount)
{
    Walker walk(lineCount, f.EndLine);
    for (const IbisText* text : {&f.IbisVer, &f.FileName, &f.FileRev, &f.Date, &f.Source, &f.Notes, &f.Disclaimer,
                                 &f.Copyright}) {
        walk.Optional(text->Line);
        walk.Text(text->Text);
    }
    Check(f.IbisVer.Line >= 1);
    int previous = 0;
    for (const IbisComponent& component : f.Components) {
        Check(component.Line > previous);
        previous = component.Line;
        walk.Component(component);
    }
    previous = 0;
    for (const IbisModel& model : f.Models) {
        Check(model.Line > previous);
        previous = model.Line;
        walk.Model(model);
    }
    for (const IbisModelSelector& selector : f.ModelSelectors) {
        walk.Line(selector.Line);
        walk.Text(selector.Name);
        for (const IbisModelSelector::Entry& entry : selector.Models) {
            walk.Line(entry.Line, selector.Line);
            walk.Text(entry.Model);
        }
    }
    int last = 0;
    for (const IbisKeywordUse& use : f.Keywords) {
        walk.Line(use.Line, last);
        last = use.Line;
        walk.Text(use.Name);
    }
    for (const IbisKeywordUse& use : f.Unknown) {
        walk.Line(use.Line);
        walk.Text(use.Name);
    }
    for (const IbisBadByte& bad : f.BadBytes) {
        walk.Line(bad.Line);
        Check(bad.Byte >= 0x7f || (bad.Byte < 0x20 && bad.Byte != '\t' && bad.Byte != '\r' && bad.Byte != 0));
    }
    for (const std::vector<IbisDefinition>* list : {&f.Submodels, &f.PackageModels, &f.BoardDescriptions})
        for (const IbisDefinition& d : *list) {
            walk.Line(d.Line);
            walk.Text(d.Name + " " + std::to_string(d.PinRows) + " " + std::to_string(d.MostRows));
            walk.Optional(d.EndLine, d.Line);
            walk.Optional(d.NumberOfPinsLine, d.Line);
            walk.Optional(d.MostRowsLine, d.Line);
            for (const IbisKeywordUse& use : d.Inner)
                walk.Line(use.Line, d.Line - 1);
        }
    for (const IbisLongLine& line : f.LongLines) {
        walk.Line(line.Line);
        Check(line.Length > 80);
        walk.Text(std::to_string(line.Length));
    }
    Check(f.EndLine >= 1 && f.EndLine <= lineCount);
    Check(f.TextAfterEndLine == 0 || (f.TextAfterEndLine > f.EndLine && f.TextAfterEndLine <= lineCount));
    return walk.Take() + std::to_string(f.EndLine) + "|" + std::to_string(f.TextAfterEndLine);
}

void CheckError(const std::string& error, int lineCount)
{
    const std::string prefix = std::string(Path) + ":";
    Check(error.compare(0, prefix.size(), prefix) == 0);
    std::size_t end = prefix.size();
    int line = 0;
    while (end < error.size() && error[end] >= '0' && error[end] <= '9' && line <= lineCount)
        line = line * 10 + (error[end++] - '0');
    Check(line >= 1 && line <= lineCount && error.compare(end, 2, ": ") == 0);
    for (const char c : error)
        Check(c >= 0x20 && c < 0x7f);
}

void CheckRules(const IbisFile& file, int lineCount)
{
    const std::vector<Finding> findings = IbisRules::Check(file);
    for (const Finding& finding : findings) {
        Check(!finding.What.empty() && !finding.Rule.empty() && finding.Severity != Finding::ProgramBug);
        if (finding.Where == Path) {
            for (const char c : finding.What)
                Check(c >= 0x20 && c < 0x7f);
        } else {
            CheckError(finding.Text(), lineCount); // "kit/fuzz.ibs:LINE: what"
        }
    }
}

void CheckExecutable(const IbisFile& f, const IbisModel& model, const IbisPlatform& platform)
{
    IbisExecutableChoice choice;
    std::string error;
    const bool found = f.FindExecutable(model, platform, choice, error);
    Check(found == error.empty() && found == (choice.Executable != nullptr));
    const IbisExecutable* preferred = nullptr;
    bool runs = false;
    for (const IbisExecutable& e : model.Algorithmic.Executables) {
        std::string kind = e.Kind;
        for (char& c : kind)
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (kind != "executable")
            continue; // Executable_Tx and Executable_Rx serve other flows
        const IbisPlatform line = IbisPlatform::Parse(e.Platform);
        runs = runs || platform.Runs(line);
        if (!preferred && platform.Prefers(line))
            preferred = &e;
    }
    Check(!runs || found);
    if (!found)
        return;
    const IbisExecutable* first = model.Algorithmic.Executables.data();
    Check(choice.Executable >= first && choice.Executable < first + model.Algorithmic.Executables.size());
    Check(platform.Runs(IbisPlatform::Parse(choice.Executable->Platform)));
    Check(!preferred || choice.Executable == preferred);
    Check(choice.Library == f.Resolve(choice.Executable->Library));
    Check(choice.ParameterFile == f.Resolve(choice.Executable->ParameterFile));
    Check(choice.Library.compare(0, 4, "kit/") == 0 || choice.Executable->Library[0] == '/');
}

void CheckLookups(const IbisFile& f)
{
    std::size_t ami = 0;
    for (const IbisModel& model : f.Models) {
        Check(f.FindModel(model.Name) == &model); // names are unique
        if (!model.Algorithmic.Line)
            continue;
        Check(f.AmiModels().at(ami++) == &model);
        for (const char* platform : {"Linux_gcc_64", "Windows_VisualStudio_64", "Linux_gcc_32"})
            CheckExecutable(f, model, IbisPlatform::Parse(platform));
        CheckExecutable(f, model, IbisPlatform::Host());
    }
    Check(f.AmiModels().size() == ami);
    std::string error;
    const IbisModel* only = f.SelectAmiModel("", error);
    Check(ami == 1 ? only == f.AmiModels()[0] && error.empty() : !only && !error.empty());
    for (const IbisModel& model : f.Models) {
        error.clear();
        const IbisModel* named = f.SelectAmiModel(model.Name, error);
        Check(named == (model.Algorithmic.Line ? &model : nullptr) && error.empty() == (named != nullptr));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    int lineCount = 1;
    for (const char c : text)
        lineCount += c == '\n';

    IbisFile file;
    std::string error;
    const bool ok = IbisFile::Read(text, Path, file, error);
    Check(ok == error.empty());
    if (!ok) {
        CheckError(error, lineCount);
        Check(file.Path.empty() && file.Models.empty() && file.Components.empty() && file.LongLines.empty());
    }
    const std::string described = ok ? Describe(file, lineCount) : error;
    if (ok)
        CheckLookups(file);
    if (ok)
        for (const IbisFile::FileKind kind : {IbisFile::FileKind::Ibs, IbisFile::FileKind::Pkg,
                                              IbisFile::FileKind::Ebd}) {
            file.Kind = kind; // the same text checked as each kind of file
            CheckRules(file, lineCount);
        }
    file.Kind = IbisFile::FileKind::Ibs;

    IbisFile again;
    std::string againError;
    Check(IbisFile::Read(text, Path, again, againError) == ok);
    Check((ok ? Describe(again, lineCount) : againError) == described);

    if (text.find('\r') == std::string::npos) {
        std::string crlf;
        for (const char c : text)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        IbisFile other;
        std::string otherError;
        Check(IbisFile::Read(crlf, Path, other, otherError) == ok);
        Check((ok ? Describe(other, lineCount) : otherError) == described);
    }
    return 0;
}

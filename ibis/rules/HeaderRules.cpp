// The rules of the file header, the text itself (lines, characters) and
// the keywords each version of IBIS has.

#include <cstdio>

#include "ibis/reader/IbisKeywords.h"
#include "ibis/IbisRules.h"
#include "ibis/reader/IbisSyntax.h"
#include "ibis/rules/IbisRuleParts.h"

namespace IbisRuleParts {

namespace {

using Syntax = IbisSyntax;

// The published versions of IBIS, as MAJOR * 100 + MINOR.
const int Versions[] = {100, 101, 200, 201, 300, 301, 302, 400, 401, 402, 500, 501, 600, 601, 700, 701, 702};
constexpr int Newest = 702;

std::string BaseName(const std::string& path)
{
    const std::size_t at = path.find_last_of("/\\");
    return at == std::string::npos ? path : path.substr(at + 1);
}

void VersionAndNames(const IbisFile& file, IbisFindings& out)
{
    const int version = Version(file);
    bool published = false;
    for (const int v : Versions)
        published = published || v == version;
    if (version > Newest)
        out.Add(Finding::Note, "ibis-ver", file.IbisVer.Line,
                "[IBIS Ver] " + Syntax::Shown(file.IbisVer.Text) + " is newer than the rules known here (7.2)");
    else if (!published)
        out.Warning("ibis-ver", file.IbisVer.Line,
                    "[IBIS Ver] " + Syntax::Shown(file.IbisVer.Text) + " is not a published version of IBIS");
    if (!file.FileName.Line) {
        out.Error("file-name", 0, "no [File Name]");
    } else {
        const std::string own = BaseName(file.Path);
        Length(out, file.FileName.Line, "[File Name]", file.FileName.Text, IbisRules::NameLimit);
        if (file.FileName.Text != own)
            out.Warning("file-name", file.FileName.Line,
                        "[File Name] " + Syntax::Quoted(file.FileName.Text) + " is not the file's own name " +
                            Syntax::Quoted(own));
    }
    if (!file.FileRev.Line)
        out.Error("file-rev", 0, "no [File Rev]");
    if (file.TextAfterEndLine)
        out.Warning("after-end", file.TextAfterEndLine, "text after [End], which readers ignore");
}

// Lines: 80 characters up to IBIS 4.0, 120 from 4.1 (the change request
// that raised the limit was written for 4.0 but first published in 4.1).
// A 4.0 file with lines of 81 to 120 characters is a Warning, not an Error:
// readers of that time took 120, as the change asked, though the text of
// 4.0 still said 80.
void Lines(const IbisFile& file, IbisFindings& out)
{
    const std::size_t limit = IbisRules::LineLimit(file);
    const bool lenient = Version(file) == 400;
    for (const IbisLongLine& line : file.LongLines) {
        if (line.Length <= limit)
            continue;
        const std::string what = "line of " + std::to_string(line.Length) + " characters; IBIS " +
                                 Syntax::Shown(file.IbisVer.Text) + " allows " + std::to_string(limit);
        if (lenient && line.Length <= 120)
            out.Warning("line-length", line.Line, what + " (120 from 4.1 on)");
        else
            out.Error("line-length", line.Line, what);
    }
}

// Only printable 7-bit ASCII, tab and line ends: other control characters
// and bytes of 8-bit character sets are not IBIS.
void Characters(const IbisFile& file, IbisFindings& out)
{
    for (const IbisBadByte& bad : file.BadBytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", bad.Byte);
        out.Error("character", bad.Line,
                  std::string(bad.Byte >= 0x80 ? "byte " : "control character ") + hex +
                      (bad.Byte >= 0x80 ? " outside 7-bit ASCII" : "") + ": IBIS files are ASCII text");
    }
}

void Keywords(const IbisFile& file, IbisFindings& out)
{
    for (const IbisKeywordUse& unknown : file.Unknown)
        out.Error("keyword-unknown", unknown.Line,
                  "[" + Syntax::Shown(unknown.Name) + "] is no keyword of IBIS; what follows it up to the next "
                  "section is passed over");
    const int version = Version(file);
    for (const IbisKeywordUse& use : file.Keywords) {
        const IbisKeywords::Info* info = IbisKeywords::Find(use.Name);
        if (info && info->Since > version && version <= Newest)
            out.Error("keyword-version", use.Line,
                      "[" + Syntax::Shown(use.Name) + "] is IBIS " + IbisKeywords::VersionText(info->Since) +
                          " or later; the file says [IBIS Ver] " + Syntax::Shown(file.IbisVer.Text));
    }
}

} // namespace

void Header(const IbisFile& file, IbisFindings& out)
{
    VersionAndNames(file, out);
    Lines(file, out);
    Characters(file, out);
    Keywords(file, out);
}

std::string Value(double value, const char* unit)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.6g %s", value, unit);
    return text;
}

void Length(IbisFindings& out, int line, const std::string& what, const std::string& name, std::size_t limit)
{
    if (name.size() > limit)
        out.Error("name-length", line,
                  what + " " + Syntax::Quoted(name) + " has " + std::to_string(name.size()) +
                      " characters; IBIS allows " + std::to_string(limit));
}

void Order(IbisFindings& out, const IbisCorners<double>& value, const std::string& what)
{
    const bool minAbove = value.Min && value.Typ && *value.Min > *value.Typ;
    const bool maxBelow = value.Max && value.Typ && *value.Max < *value.Typ;
    if (minAbove || maxBelow)
        out.Warning("value-order", value.Line,
                    what + ": the " + (minAbove ? "min" : "max") + " value lies " + (minAbove ? "above" : "below") +
                        " typ; the min and max columns hold the smallest and largest value");
}

} // namespace IbisRuleParts

// The rules of the named definitions: [Submodel] in a component file, the
// [Define Package Model] of a package file (.pkg) and the
// [Begin Board Description] of a board file (.ebd).

#include <cmath>

#include "ibis/reader/IbisSyntax.h"
#include "ibis/rules/IbisRuleParts.h"

namespace IbisRuleParts {

namespace {

using Syntax = IbisSyntax;

// `keyword` as written here ("Pin Numbers"), compared in IbisSyntax's form.
bool Has(const IbisDefinition& d, const char* keyword)
{
    const std::string name = IbisSyntax::KeywordName(keyword);
    for (const IbisKeywordUse& use : d.Inner)
        if (use.Name == name)
            return true;
    return false;
}

void Needs(const IbisDefinition& d, const std::string& of, std::initializer_list<const char*> keywords,
           const char* rule, IbisFindings& out)
{
    for (const char* keyword : keywords)
        if (!Has(d, keyword))
            out.Error(rule, d.Line, of + " has no [" + std::string(keyword) + "]");
}

// [Number Of Pins] against the rows that list the pins.
void PinCount(const IbisDefinition& d, const char* list, const char* shown, const char* rule, IbisFindings& out)
{
    if (!d.NumberOfPins)
        return;
    const double n = *d.NumberOfPins;
    if (!(n >= 1.0) || n != std::floor(n)) {
        out.Error(rule, d.NumberOfPinsLine, "[Number Of Pins] must be a whole number of at least 1");
        return;
    }
    if (Has(d, list) && static_cast<double>(d.PinRows) != n)
        out.Error(rule, d.NumberOfPinsLine,
                  "[Number Of Pins] says " + std::to_string(static_cast<long long>(n)) + "; " + shown + " lists " +
                      std::to_string(d.PinRows));
}

void Unclosed(const IbisDefinition& d, const std::string& of, const char* end, const char* rule, IbisFindings& out)
{
    if (!d.EndLine)
        out.Error(rule, d.Line, of + " has no [" + std::string(end) + "]");
}

} // namespace

void Definitions(const IbisFile& file, IbisFindings& out)
{
    using Kind = IbisFile::FileKind;
    if (file.Kind == Kind::Pkg && file.PackageModels.empty())
        out.Error("pkg", 0, "a package file (.pkg) without a [Define Package Model]");
    if (file.Kind == Kind::Ebd && file.BoardDescriptions.empty())
        out.Error("ebd", 0, "a board file (.ebd) without a [Begin Board Description]");
    for (const IbisDefinition& d : file.PackageModels) {
        const std::string of = "[Define Package Model] " + Syntax::Shown(d.Name);
        Needs(d, of, {"Manufacturer", "OEM", "Number Of Pins", "Pin Numbers", "Model Data", "Inductance Matrix",
                      "Capacitance Matrix", "End Model Data"},
              "pkg", out);
        PinCount(d, "pin numbers", "[Pin Numbers]", "pkg", out);
        // A matrix has a row per pin (a banded or sparse one may leave rows
        // out, never add them).
        if (d.NumberOfPins && static_cast<double>(d.MostRows) > *d.NumberOfPins)
            out.Error("pkg", d.MostRowsLine,
                      "a matrix of " + of + " has " + std::to_string(d.MostRows) + " [Row]s for " +
                          Value(*d.NumberOfPins, "pins") + ": it has a row per pin");
        Unclosed(d, of, "End Package Model", "pkg", out);
    }
    for (const IbisDefinition& d : file.BoardDescriptions) {
        const std::string of = "[Begin Board Description] " + Syntax::Shown(d.Name);
        Needs(d, of, {"Manufacturer", "Number Of Pins", "Pin List", "Path Description", "Reference Designator Map"},
              "ebd", out);
        PinCount(d, "pin list", "[Pin List]", "ebd", out);
        Unclosed(d, of, "End Board Description", "ebd", out);
    }
    for (const IbisDefinition& d : file.Submodels) {
        bool duplicate = false;
        for (const IbisDefinition& other : file.Submodels)
            duplicate = duplicate || (&other < &d && other.Name == d.Name);
        if (duplicate)
            out.Error("submodel", d.Line, "second [Submodel] " + Syntax::Shown(d.Name));
    }
}

} // namespace IbisRuleParts

// The rules of [Component] and what it holds: [Manufacturer], [Package],
// [Package Model], [Pin] and [Diff Pin].

#include <set>

#include "ibis/IbisRules.h"
#include "ibis/reader/IbisSyntax.h"
#include "ibis/rules/IbisRuleParts.h"

namespace IbisRuleParts {

namespace {

using Syntax = IbisSyntax;

bool NamesModel(const IbisFile& file, const std::string& name)
{
    if (file.FindModel(name))
        return true;
    for (const IbisModelSelector& selector : file.ModelSelectors)
        if (selector.Name == name)
            return true;
    return false;
}

void Package(const IbisComponent& c, IbisFindings& out)
{
    const std::string of = "[Component] " + Syntax::Shown(c.Name);
    if (!c.Package.Line) {
        out.Error("package", c.Line, of + " has no [Package]");
        return;
    }
    const struct {
        const char* Name;
        const IbisCorners<double>& Value;
    } values[] = {{"R_pkg", c.Package.R}, {"L_pkg", c.Package.L}, {"C_pkg", c.Package.C}};
    for (const auto& v : values) {
        if (!v.Value.Line)
            out.Error("package", c.Package.Line, "[Package] of " + of + " has no " + v.Name);
        else if (!v.Value.Typ)
            out.Error("package", v.Value.Line, std::string(v.Name) + " has no typ value (NA)");
        else
            Order(out, v.Value, v.Name);
    }
}

// [Package Model] names a [Define Package Model] of this file or of a .pkg
// file the simulator is given beside it; which files a simulator searches
// is its own business, so a name this file does not define is a Warning.
void PackageModel(const IbisFile& file, const IbisComponent& c, IbisFindings& out)
{
    if (!c.PackageModel.Line)
        return;
    if (c.PackageModel.Text.empty()) {
        out.Error("package-model", c.PackageModel.Line, "[Package Model] names no package model");
        return;
    }
    for (const IbisDefinition& d : file.PackageModels)
        if (d.Name == c.PackageModel.Text)
            return;
    out.Warning("package-model", c.PackageModel.Line,
                "[Package Model] " + Syntax::Quoted(c.PackageModel.Text) +
                    " is not defined in this file ([Define Package Model]); a simulator must find it in a .pkg file");
}

void Pins(const IbisFile& file, const IbisComponent& c, std::set<std::string>& names, IbisFindings& out)
{
    if (!c.PinLine) {
        out.Error("pin", c.Line, "[Component] " + Syntax::Shown(c.Name) + " has no [Pin]");
        return;
    }
    if (c.Pins.empty())
        out.Error("pin", c.PinLine, "[Pin] lists no pin");
    for (const IbisPin& pin : c.Pins) {
        Length(out, pin.Line, "pin name", pin.Name, IbisRules::PinNameLimit);
        Length(out, pin.Line, "signal name", pin.Signal, IbisRules::NameLimit);
        if (!names.insert(pin.Name).second)
            out.Error("pin", pin.Line, "pin " + Syntax::Shown(pin.Name) + " is listed twice");
        const std::string model = Syntax::LowerCase(pin.Model);
        if (model != "power" && model != "gnd" && model != "nc" && !NamesModel(file, pin.Model))
            out.Error("pin-model", pin.Line,
                      "pin " + Syntax::Shown(pin.Name) + " names " + Syntax::Quoted(pin.Model) +
                          ", which is no [Model] or [Model Selector] of the file");
    }
    std::set<std::string> paired;
    for (const IbisDiffPin& pair : c.DiffPins) {
        if (pair.Pin == pair.InvertedPin)
            out.Error("diff-pin", pair.Tdelay.Line,
                      "[Diff Pin] pairs pin " + Syntax::Shown(pair.Pin) + " with itself");
        for (const std::string* pin : {&pair.Pin, &pair.InvertedPin}) {
            if (!names.count(*pin))
                out.Error("diff-pin", pair.Tdelay.Line,
                          "[Diff Pin] names pin " + Syntax::Shown(*pin) + ", which [Pin] does not list");
            else if (pair.Pin != pair.InvertedPin && !paired.insert(*pin).second)
                out.Error("diff-pin", pair.Tdelay.Line,
                          "[Diff Pin] names pin " + Syntax::Shown(*pin) + " in a second pair");
        }
    }
}

// [Pin Mapping]: each row a listed pin and its buses (2, 4, or from 4.1 on 5
// of them); [Series Pin Mapping]: two listed pins and a [Model] (or
// [Model Selector]) of the file, whose Model_type is Series or Series_switch.
void Mappings(const IbisFile& file, const IbisComponent& c, const std::set<std::string>& pins, IbisFindings& out)
{
    for (const IbisMappingRow& row : c.PinMapping) {
        const std::size_t buses = row.Fields.size() - 1;
        if (buses != 2 && buses != 4 && !(buses == 5 && Version(file) >= 401))
            out.Error("pin-mapping", row.Line,
                      "[Pin Mapping] row names " + std::to_string(buses) +
                          " buses; IBIS asks for 2 (pulldown, pullup) or 4 (and the clamps)" +
                          (Version(file) >= 401 ? ", or 5 (and the external reference)" : ""));
        if (!pins.count(row.Fields[0]))
            out.Error("pin-mapping", row.Line,
                      "[Pin Mapping] names pin " + Syntax::Shown(row.Fields[0]) + ", which [Pin] does not list");
    }
    for (const IbisMappingRow& row : c.SeriesPinMapping) {
        if (row.Fields.size() != 3 && row.Fields.size() != 4) {
            out.Error("series-pin-mapping", row.Line,
                      "[Series Pin Mapping] row needs pin_1, pin_2 and a model (and a function table group)");
            continue;
        }
        for (int k = 0; k < 2; ++k)
            if (!pins.count(row.Fields[k]))
                out.Error("series-pin-mapping", row.Line,
                          "[Series Pin Mapping] names pin " + Syntax::Shown(row.Fields[k]) +
                              ", which [Pin] does not list");
        const IbisModel* model = file.FindModel(row.Fields[2]);
        const std::string type = model ? Syntax::LowerCase(model->ModelType.Text) : "";
        if (!NamesModel(file, row.Fields[2]))
            out.Error("series-pin-mapping", row.Line,
                      "[Series Pin Mapping] names " + Syntax::Quoted(row.Fields[2]) +
                          ", which is no [Model] or [Model Selector] of the file");
        else if (model && type != "series" && type != "series_switch")
            out.Error("series-pin-mapping", row.Line,
                      "[Series Pin Mapping] names [Model] " + Syntax::Shown(model->Name) + " of Model_type " +
                          Syntax::Shown(model->ModelType.Text) + "; a series element is Series or Series_switch");
    }
}

} // namespace

void Components(const IbisFile& file, IbisFindings& out)
{
    if (file.Components.empty() && file.Kind == IbisFile::FileKind::Ibs)
        out.Error("component", 0, "no [Component]");
    for (const IbisComponent& c : file.Components) {
        Length(out, c.Line, "[Component] name", c.Name, IbisRules::NameLimit);
        if (!c.Manufacturer.Line)
            out.Error("manufacturer", c.Line, "[Component] " + Syntax::Shown(c.Name) + " has no [Manufacturer]");
        else if (c.Manufacturer.Text.empty())
            out.Error("manufacturer", c.Manufacturer.Line, "[Manufacturer] names no one");
        Package(c, out);
        PackageModel(file, c, out);
        std::set<std::string> pins;
        Pins(file, c, pins, out);
        if (c.PinLine)
            Mappings(file, c, pins, out);
    }
}

} // namespace IbisRuleParts

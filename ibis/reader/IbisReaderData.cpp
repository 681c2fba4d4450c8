// IbisReader: the data lines below the keywords it keeps, and the values in
// them. The keywords and sections are in IbisReader.cpp.

#include "ibis/reader/IbisNumber.h"
#include "ibis/reader/IbisReader.h"
#include "ibis/reader/IbisSyntax.h"

namespace {

using Syntax = IbisSyntax;

std::string Found(std::size_t count) { return ", found " + std::to_string(count); }

const char* const CornerNames[] = {"typ", "min", "max"};

} // namespace

bool IbisReader::Fail(const std::string& what)
{
    error_ = path_ + ":" + std::to_string(line_) + ": " + what;
    return false;
}

bool IbisReader::Count()
{
    if (++records_ <= IbisFile::MaxRecords)
        return true;
    return Fail("more than " + std::to_string(IbisFile::MaxRecords) + " pins, table rows and other entries");
}

bool IbisReader::NotTwice(int firstLine, const std::string& what)
{
    return firstLine == 0 || Fail("second " + what + " (the first is on line " + std::to_string(firstLine) + ")");
}

bool IbisReader::Takes(std::string_view rest)
{
    return rest.empty() || Fail(keyword_ + " takes nothing on its line; found " + Syntax::Quoted(rest));
}

bool IbisReader::OneWord(std::string_view rest, std::string& word)
{
    Syntax::SplitFields(rest, fields_);
    if (fields_.size() != 1)
        return Fail(fields_.empty() ? keyword_ + " without a name"
                                    : keyword_ + " takes one name without blanks; found " + Syntax::Quoted(rest));
    word = std::string(fields_[0]);
    return true;
}

bool IbisReader::Number(std::string_view token, const std::string& what, const char* detail, double& value)
{
    return IbisNumber::Parse(token, value) || Fail(what + detail + ": " + Syntax::Quoted(token) + " is not a number");
}

bool IbisReader::NumberOrNa(std::string_view token, const std::string& what, const char* detail,
                            std::optional<double>& value)
{
    return IbisNumber::ParseOrNa(token, value) ||
           Fail(what + detail + ": " + Syntax::Quoted(token) + " is not a number or NA");
}

bool IbisReader::Corners(std::size_t first, const std::string& what, const char* detail, IbisCorners<double>& out)
{
    if (fields_.size() != first + 3)
        return Fail(what + detail + " needs 3 values (typ min max)" + Found(fields_.size() - first));
    std::optional<double>* const corners[] = {&out.Typ, &out.Min, &out.Max};
    for (int k = 0; k < 3; ++k)
        if (!IbisNumber::ParseOrNa(fields_[first + k], *corners[k]))
            return NumberOrNa(fields_[first + k], what + detail + " " + CornerNames[k], "", *corners[k]);
    out.Line = line_;
    return true;
}

bool IbisReader::Slopes(const std::string& what, IbisCorners<IbisSlope>& out)
{
    if (fields_.size() != 3)
        return Fail(what + " needs 3 values (typ min max)" + Found(fields_.size()));
    std::optional<IbisSlope>* const corners[] = {&out.Typ, &out.Min, &out.Max};
    for (int k = 0; k < 3; ++k)
        if (!IbisNumber::ParseSlope(fields_[k], *corners[k]))
            return Fail(what + " " + CornerNames[k] + ": " + Syntax::Quoted(fields_[k]) +
                        " is not a rate dV/dt such as 0.30/1.0p, or NA");
    out.Line = line_;
    return true;
}

bool IbisReader::Single(const std::string& what, IbisValue& out)
{
    if (fields_.size() != 1)
        return Fail(what + " takes one value" + Found(fields_.size()));
    if (!NumberOrNa(fields_[0], what, "", out.Value))
        return false;
    out.Line = line_;
    return true;
}

bool IbisReader::ModelLine(std::string_view content)
{
    const std::string_view name = Syntax::SplitSubparameter(content, fields_);
    const std::string key = Syntax::LowerCase(name);
    IbisModel& model = file_.Models.back();
    const std::string shown = Syntax::Shown(name);
    const std::string what = shown + " in [Model] " + Syntax::Shown(model.Name);
    if (key == "model_type" || key == "polarity") {
        IbisText& text = key == "model_type" ? model.ModelType : model.Polarity;
        if (!NotTwice(text.Line, what))
            return false;
        if (fields_.size() != 1)
            return Fail(shown + " takes one value" + Found(fields_.size()));
        text = {std::string(fields_[0]), line_};
        return true;
    }
    IbisCorners<double>* const caps[] = {&model.CComp, &model.CCompPullup, &model.CCompPulldown,
                                         &model.CCompPowerClamp, &model.CCompGndClamp};
    const char* const capKeys[] = {"c_comp", "c_comp_pullup", "c_comp_pulldown", "c_comp_power_clamp",
                                   "c_comp_gnd_clamp"};
    for (int k = 0; k < 5; ++k)
        if (key == capKeys[k])
            return NotTwice(caps[k]->Line, what) && Corners(0, shown, "", *caps[k]);
    IbisValue* const values[] = {&model.Vmeas, &model.Vref, &model.Rref, &model.Cref};
    const char* const keys[] = {"vmeas", "vref", "rref", "cref"};
    for (int k = 0; k < 4; ++k)
        if (key == keys[k])
            return NotTwice(values[k]->Line, what) && Single(shown, *values[k]);
    return true; // a sub-parameter not kept: Enable, Vinl, Vinh, C_comp_pullup, Cref_rising, ...
}

bool IbisReader::PackageLine(std::string_view content)
{
    const std::string_view name = Syntax::SplitSubparameter(content, fields_);
    const std::string key = Syntax::LowerCase(name);
    IbisPackage& package = file_.Components.back().Package;
    IbisCorners<double>* const values[] = {&package.R, &package.L, &package.C};
    const char* const keys[] = {"r_pkg", "l_pkg", "c_pkg"};
    for (int k = 0; k < 3; ++k)
        if (key == keys[k])
            return NotTwice(values[k]->Line, Syntax::Shown(name) + " in [Package]") &&
                   Corners(0, Syntax::Shown(name), "", *values[k]);
    return Fail("[Package] takes R_pkg, L_pkg and C_pkg, not " + Syntax::Quoted(name));
}

bool IbisReader::PinLine(std::string_view content)
{
    Syntax::SplitFields(content, fields_);
    if (fields_.size() != 3 && fields_.size() != 6)
        return Fail("[Pin] row needs 3 fields (pin signal model) or 6 (and R_pin L_pin C_pin)" +
                    Found(fields_.size()));
    if (!Count())
        return false;
    IbisPin pin;
    pin.Name = std::string(fields_[0]);
    pin.Signal = std::string(fields_[1]);
    pin.Model = std::string(fields_[2]);
    pin.Line = line_;
    if (fields_.size() == 6) {
        const std::string of = " of pin " + Syntax::Shown(pin.Name);
        if (!NumberOrNa(fields_[3], "R_pin" + of, "", pin.R) || !NumberOrNa(fields_[4], "L_pin" + of, "", pin.L) ||
            !NumberOrNa(fields_[5], "C_pin" + of, "", pin.C))
            return false;
    }
    file_.Components.back().Pins.push_back(std::move(pin));
    return true;
}

bool IbisReader::DiffPinLine(std::string_view content)
{
    Syntax::SplitFields(content, fields_);
    if (fields_.size() != 6)
        return Fail("[Diff Pin] row needs 6 fields (pin inv_pin vdiff tdelay_typ tdelay_min tdelay_max)" +
                    Found(fields_.size()));
    if (!Count())
        return false;
    IbisDiffPin pair;
    pair.Pin = std::string(fields_[0]);
    pair.InvertedPin = std::string(fields_[1]);
    const std::string of = " of pin " + Syntax::Shown(pair.Pin);
    if (!NumberOrNa(fields_[2], "vdiff" + of, "", pair.Vdiff) || !Corners(3, "tdelay" + of, "", pair.Tdelay))
        return false;
    file_.Components.back().DiffPins.push_back(std::move(pair));
    return true;
}

bool IbisReader::IvRow(std::string_view content)
{
    Syntax::SplitFields(content, fields_);
    if (fields_.size() != 4)
        return Fail(keyword_ + " row needs 4 fields (voltage, I(typ), I(min), I(max))" + Found(fields_.size()));
    if (!Count())
        return false;
    IbisIvRow row;
    if (!Number(fields_[0], keyword_, " voltage", row.Voltage) || !Corners(1, keyword_, " current", row.Current))
        return false;
    table_->Rows.push_back(row);
    return true;
}

bool IbisReader::RampLine(std::string_view content)
{
    const std::string_view name = Syntax::SplitSubparameter(content, fields_);
    const std::string key = Syntax::LowerCase(name);
    IbisRamp& ramp = file_.Models.back().Ramp;
    const std::string shown = Syntax::Shown(name);
    const std::string what = shown + " in the [Ramp] of [Model] " + Syntax::Shown(file_.Models.back().Name);
    if (key == "dv/dt_r" || key == "dv/dt_f") {
        IbisCorners<IbisSlope>& rate = key == "dv/dt_r" ? ramp.Rising : ramp.Falling;
        return NotTwice(rate.Line, what) && Slopes(shown, rate);
    }
    if (key == "r_load")
        return NotTwice(ramp.RLoad.Line, what) && Single(shown, ramp.RLoad);
    return Fail("[Ramp] takes dV/dt_r, dV/dt_f and R_load, not " + Syntax::Quoted(name));
}

bool IbisReader::ExecutableLine(std::string_view content)
{
    const std::string_view name = Syntax::SplitSubparameter(content, fields_);
    const std::string key = Syntax::LowerCase(name);
    if (key != "executable" && key != "executable_tx" && key != "executable_rx")
        return Fail("[Algorithmic Model] takes Executable lines, not " + Syntax::Quoted(name));
    if (fields_.size() != 3)
        return Fail(Syntax::Shown(name) + " needs 3 fields (platform, library, parameter file)" +
                    Found(fields_.size()));
    if (!Count())
        return false;
    IbisExecutable executable;
    executable.Kind = std::string(name);
    executable.Platform = std::string(fields_[0]);
    executable.Library = std::string(fields_[1]);
    executable.ParameterFile = std::string(fields_[2]);
    executable.Line = line_;
    file_.Models.back().Algorithmic.Executables.push_back(std::move(executable));
    return true;
}

bool IbisReader::SelectorLine(std::string_view content)
{
    Syntax::SplitFields(content, fields_); // the model's name, then its description
    if (!Count())
        return false;
    file_.ModelSelectors.back().Models.push_back({std::string(fields_[0]), line_});
    return true;
}

bool IbisReader::WaveformLine(std::string_view content)
{
    IbisWaveform& w = *waveform_;
    const char first = content[0];
    const bool row = (first >= '0' && first <= '9') || first == '-' || first == '+' || first == '.';
    if (!row) {
        const std::string_view name = Syntax::SplitSubparameter(content, fields_);
        const std::string key = Syntax::LowerCase(name);
        IbisValue* const values[] = {&w.RFixture, &w.VFixture, &w.VFixtureMin, &w.VFixtureMax, &w.LFixture,
                                     &w.CFixture, &w.RDut,     &w.LDut,        &w.CDut};
        const char* const keys[] = {"r_fixture", "v_fixture", "v_fixture_min", "v_fixture_max", "l_fixture",
                                    "c_fixture", "r_dut",     "l_dut",         "c_dut"};
        for (int k = 0; k < 9; ++k)
            if (key == keys[k])
                return NotTwice(values[k]->Line, Syntax::Shown(name) + " in " + keyword_) &&
                       Single(Syntax::Shown(name), *values[k]);
        return Fail(keyword_ + " takes R_fixture, V_fixture, V_fixture_min, V_fixture_max, L_fixture, C_fixture, "
                               "R_dut, L_dut and C_dut, not " + Syntax::Quoted(name));
    }
    Syntax::SplitFields(content, fields_);
    if (fields_.size() != 4)
        return Fail(keyword_ + " row needs 4 fields (time, V(typ), V(min), V(max))" + Found(fields_.size()));
    if (!Count())
        return false;
    IbisWaveform::Row r;
    if (!Number(fields_[0], keyword_, " time", r.Time) || !Corners(1, keyword_, " voltage", r.Voltage))
        return false;
    w.Rows.push_back(r);
    return true;
}

bool IbisReader::SubmodelLine(std::string_view content)
{
    Syntax::SplitFields(content, fields_);
    if (fields_.size() != 2)
        return Fail("[Add Submodel] row needs 2 fields (submodel name, mode)" + Found(fields_.size()));
    if (!Count())
        return false;
    file_.Models.back().AddSubmodels.push_back({std::string(fields_[0]), std::string(fields_[1]), line_});
    return true;
}

bool IbisReader::NumberOfPinsLine(std::string_view content)
{
    Syntax::SplitFields(content, fields_);
    if (definition_->NumberOfPins || fields_.size() != 1)
        return Fail("[Number Of Pins] takes one number" + Found(fields_.size() + (definition_->NumberOfPins ? 1 : 0)));
    double value = 0.0;
    if (!Number(fields_[0], "[Number Of Pins]", "", value))
        return false;
    definition_->NumberOfPins = value;
    return true;
}

bool IbisReader::PinRowLine(std::string_view content)
{
    // A pin's row starts with its name; the lines of its sections (Len=...,
    // Fork, Endfork) continue it.
    Syntax::SplitFields(content, fields_);
    const std::string first = Syntax::LowerCase(fields_[0]);
    if (first.find('=') == std::string::npos && first != "len" && first != "fork" && first != "endfork")
        ++definition_->PinRows;
    return true;
}

bool IbisReader::MappingLine(std::string_view content)
{
    Syntax::SplitFields(content, fields_);
    if (!Count())
        return false;
    IbisMappingRow row;
    for (const std::string_view field : fields_)
        row.Fields.emplace_back(field);
    row.Line = line_;
    mapping_->push_back(std::move(row));
    return true;
}

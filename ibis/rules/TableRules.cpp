// The rules of a model's tables: the I-V tables ([Pulldown], [Pullup],
// [GND Clamp], [POWER Clamp]), [Ramp] and the V-T tables ([Rising Waveform],
// [Falling Waveform]).

#include <cmath>

#include "ibis/IbisRules.h"
#include "ibis/reader/IbisSyntax.h"
#include "ibis/rules/IbisRuleParts.h"

namespace IbisRuleParts {

namespace {

using Syntax = IbisSyntax;

// The sign of b - a: -1, 0 or +1.
int Step(double a, double b) { return b > a ? 1 : b < a ? -1 : 0; }

// Voltages strictly rising or strictly falling (older vendors' files list
// them from the top down; both read alike).
void Voltages(const std::string& what, const IbisIvTable& table, IbisFindings& out)
{
    int direction = 0;
    for (std::size_t i = 1; i < table.Rows.size(); ++i) {
        const int step = Step(table.Rows[i - 1].Voltage, table.Rows[i].Voltage);
        if (direction == 0)
            direction = step;
        if (step == 0 || step != direction) {
            out.Error("iv-order", table.Rows[i].Current.Line,
                      what + " voltages neither rise nor fall throughout: " + Value(table.Rows[i].Voltage, "V") +
                          " after " + Value(table.Rows[i - 1].Voltage, "V"));
            return; // one finding per table: the rest follows from it
        }
    }
}

// The current of an I-V table changes in one direction over the voltage
// (a table that turns back gives a simulator two operating points). Not
// monotonic is a Warning: measured data may wiggle within noise, and
// simulators still run.
void Monotonic(const std::string& what, const IbisIvTable& table, IbisFindings& out)
{
    const char* const names[] = {"typ", "min", "max"};
    for (int corner = 0; corner < 3; ++corner) {
        int direction = 0;
        const std::optional<double>* previous = nullptr;
        for (const IbisIvRow& row : table.Rows) {
            const std::optional<double>& current =
                corner == 0 ? row.Current.Typ : corner == 1 ? row.Current.Min : row.Current.Max;
            if (!current)
                continue;
            if (previous) {
                const int step = Step(**previous, *current);
                if (step != 0 && direction != 0 && step != direction) {
                    out.Warning("iv-monotonic", row.Current.Line,
                                what + " " + names[corner] + " current is not monotonic: it turns back at " +
                                    Value(row.Voltage, "V"));
                    break;
                }
                direction = step != 0 ? step : direction;
            }
            previous = &current;
        }
    }
}

// The typ column carries the table: its first and last rows need a value.
// Inside, NA leaves the point to interpolation: allowed in a clamp table;
// in [Pulldown] and [Pullup] the text leaves it open, so a Warning.
void TypColumn(const std::string& what, const IbisIvTable& table, bool clamp, IbisFindings& out)
{
    for (std::size_t i = 0; i < table.Rows.size(); ++i) {
        const IbisIvRow& row = table.Rows[i];
        if (row.Current.Typ)
            continue;
        if (i == 0 || i + 1 == table.Rows.size())
            out.Error("iv-typ", row.Current.Line,
                      what + " " + (i == 0 ? "first" : "last") + " row has no typ current (NA)");
        else if (!clamp)
            out.Warning("iv-typ", row.Current.Line, what + " row has no typ current (NA)");
    }
}

void IvTable(const char* name, const IbisIvTable& table, bool clamp, IbisFindings& out)
{
    const std::string what = std::string("[") + name + "]";
    if (table.Rows.size() < 2 || table.Rows.size() > IbisRules::TableRowLimit)
        out.Error("iv-rows", table.Line,
                  what + " has " + std::to_string(table.Rows.size()) + " rows; IBIS asks for 2 to " +
                      std::to_string(IbisRules::TableRowLimit));
    TypColumn(what, table, clamp, out);
    Voltages(what, table, out);
    Monotonic(what, table, out);
}

void Ramp(const IbisModel& m, IbisFindings& out)
{
    const struct {
        const char* Name;
        const IbisCorners<IbisSlope>& Rate;
    } rates[] = {{"dV/dt_r", m.Ramp.Rising}, {"dV/dt_f", m.Ramp.Falling}};
    for (const auto& r : rates) {
        if (!r.Rate.Line) {
            out.Error("ramp", m.Ramp.Line, "[Ramp] of [Model] " + Syntax::Shown(m.Name) + " has no " + r.Name);
            continue;
        }
        if (!r.Rate.Typ)
            out.Error("ramp", r.Rate.Line, std::string(r.Name) + " has no typ value (NA)");
        for (const std::optional<IbisSlope>* slope : {&r.Rate.Typ, &r.Rate.Min, &r.Rate.Max})
            if (*slope && !((*slope)->Dv > 0.0 && (*slope)->Dt > 0.0)) {
                out.Error("ramp", r.Rate.Line, std::string(r.Name) + " needs a positive dV and a positive dt");
                break;
            }
    }
}

// A V-T table: R_fixture and V_fixture given, 2 to WaveformRowLimit rows,
// time rising, a typ voltage in every row.
void Waveform(const IbisFile& file, const char* name, const IbisWaveform& w, IbisFindings& out)
{
    const std::string what = std::string("[") + name + "]";
    if (!w.RFixture.Line || !w.RFixture.Value)
        out.Error("vt-fixture", w.Line, what + " has no R_fixture value");
    if (!w.VFixture.Line || !w.VFixture.Value)
        out.Error("vt-fixture", w.Line, what + " has no V_fixture value");
    else if (w.RFixture.Value && !(*w.RFixture.Value > 0.0))
        out.Error("vt-fixture", w.RFixture.Line, "R_fixture must be positive");
    if (w.Rows.size() < 2 || w.Rows.size() > IbisRules::WaveformRowLimit)
        out.Error("vt-rows", w.Line,
                  what + " has " + std::to_string(w.Rows.size()) + " rows; IBIS asks for 2 to " +
                      std::to_string(IbisRules::WaveformRowLimit));
    // Before 4.0 the V-T tables of many readers held 100 points; more is a
    // Warning there, as the text of those versions is read both ways.
    else if (w.Rows.size() > IbisRules::TableRowLimit && Version(file) < 400)
        out.Warning("vt-rows", w.Line,
                    what + " has " + std::to_string(w.Rows.size()) + " rows; readers of IBIS " +
                        Syntax::Shown(file.IbisVer.Text) + " may take only " +
                        std::to_string(IbisRules::TableRowLimit));
    // As in the I-V tables, the typ column needs its first and last value;
    // NA inside leaves a point to interpolation (vendors give the min and
    // max columns points of their own that way).
    for (std::size_t i = 0; i < w.Rows.size(); ++i) {
        if (!w.Rows[i].Voltage.Typ && (i == 0 || i + 1 == w.Rows.size()))
            out.Error("vt-typ", w.Rows[i].Voltage.Line,
                      what + " " + (i == 0 ? "first" : "last") + " row has no typ voltage (NA)");
        if (i > 0 && !(w.Rows[i].Time > w.Rows[i - 1].Time)) {
            out.Error("vt-time", w.Rows[i].Voltage.Line,
                      what + " time does not rise: " + Value(w.Rows[i].Time, "s") + " after " +
                          Value(w.Rows[i - 1].Time, "s"));
            break;
        }
    }
}

} // namespace

void Tables(const IbisFile& file, const IbisModel& m, IbisFindings& out)
{
    const struct {
        const char* Name;
        const IbisIvTable& Table;
        bool Clamp;
    } tables[] = {{"Pulldown", m.Pulldown, false},
                  {"Pullup", m.Pullup, false},
                  {"GND Clamp", m.GndClamp, true},
                  {"POWER Clamp", m.PowerClamp, true}};
    for (const auto& t : tables)
        if (t.Table.Line)
            IvTable(t.Name, t.Table, t.Clamp, out);
    if (m.Ramp.Line)
        Ramp(m, out);
    for (const IbisWaveform& w : m.RisingWaveforms)
        Waveform(file, "Rising Waveform", w, out);
    for (const IbisWaveform& w : m.FallingWaveforms)
        Waveform(file, "Falling Waveform", w, out);
    VtAgainstRamp(m, out);
    VtAgainstIv(file, m, out);
}

} // namespace IbisRuleParts

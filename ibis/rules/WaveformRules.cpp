// [Ramp] against the V-T tables: the ramp's dV/dt is the 20 % to 80 % slope
// of the edge into R_load, so a waveform into the same load should show it.
// The ramp's dV/dt: 60 % of the swing over the time from 20 % to 80 % of it.

#include <cmath>

#include "ibis/reader/IbisSyntax.h"
#include "ibis/rules/IbisRuleParts.h"

namespace IbisRuleParts {

namespace {

// The time at which the typ column first crosses `level`, by linear
// interpolation between rows; NaN when it never does.
double Crossing(const IbisWaveform& w, double level)
{
    for (std::size_t i = 1; i < w.Rows.size(); ++i) {
        const double a = *w.Rows[i - 1].Voltage.Typ, b = *w.Rows[i].Voltage.Typ;
        if ((a - level) * (b - level) <= 0.0 && a != b)
            return w.Rows[i - 1].Time + (level - a) / (b - a) * (w.Rows[i].Time - w.Rows[i - 1].Time);
    }
    return std::nan("");
}

// The 20 % to 80 % slope of the typ column, V/s; NaN when it has none.
double Slope(const IbisWaveform& w)
{
    if (w.Rows.size() < 2)
        return std::nan("");
    for (const IbisWaveform::Row& row : w.Rows)
        if (!row.Voltage.Typ)
            return std::nan("");
    const double first = *w.Rows.front().Voltage.Typ, last = *w.Rows.back().Voltage.Typ;
    const double t20 = Crossing(w, first + 0.2 * (last - first)), t80 = Crossing(w, first + 0.8 * (last - first));
    if (!(t80 > t20))
        return std::nan("");
    return 0.6 * std::fabs(last - first) / (t80 - t20);
}

} // namespace

// A slope more than a factor MaxRatio off the ramp's is a Caution: the
// fixture's V_fixture and any L or C in it shape the edge too, so only a
// gross difference is worth a look.
void VtAgainstRamp(const IbisModel& m, IbisFindings& out)
{
    constexpr double MaxRatio = 1.5;
    const double load = m.Ramp.RLoad.Value ? *m.Ramp.RLoad.Value : 50.0;
    const struct {
        const std::vector<IbisWaveform>& List;
        const IbisCorners<IbisSlope>& Rate;
        const char* Name;
    } edges[] = {{m.RisingWaveforms, m.Ramp.Rising, "dV/dt_r"}, {m.FallingWaveforms, m.Ramp.Falling, "dV/dt_f"}};
    for (const auto& edge : edges) {
        if (!edge.Rate.Typ || !(edge.Rate.Typ->Dt > 0.0) || !(edge.Rate.Typ->Dv > 0.0))
            continue;
        const double ramp = edge.Rate.Typ->Dv / edge.Rate.Typ->Dt;
        // [Ramp] is measured into R_load to the rail the edge leaves: GND
        // for a rising edge, the supply ([Voltage Range] typ) for a falling
        // one. Only a table into that same load shows the same edge.
        const bool rising = &edge.List == &m.RisingWaveforms;
        if (!rising && !m.VoltageRange.Typ)
            continue;
        const double rail = rising ? 0.0 : *m.VoltageRange.Typ;
        for (const IbisWaveform& w : edge.List) {
            if (!w.RFixture.Value || std::fabs(*w.RFixture.Value - load) > 1e-9 * load || w.LFixture.Value ||
                w.CFixture.Value || !w.VFixture.Value || std::fabs(*w.VFixture.Value - rail) > 1e-6)
                continue;
            const double slope = Slope(w);
            if (std::isnan(slope) || !(slope > 0.0))
                continue;
            const double ratio = slope / ramp;
            if (ratio > MaxRatio || ratio < 1.0 / MaxRatio)
                out.Add(Finding::Caution, "ramp-vt", w.Line,
                        "the typ edge of this table rises 20-80 % at " + Value(slope, "V/s") + ", the [Ramp] " +
                            edge.Name + " of line " + std::to_string(edge.Rate.Line) + " at " + Value(ramp, "V/s") +
                            " (into the same " + Value(load, "ohm") + ")");
        }
    }
}

} // namespace IbisRuleParts

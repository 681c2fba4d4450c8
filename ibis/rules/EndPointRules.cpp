// The I-V tables against the end points of the V-T tables: once an edge
// has settled, the buffer's static current (the I-V tables) balances the
// fixture's, so the last voltage of a V-T table is the pin voltage V that
// solves
//     I_drive(V) + I_gnd_clamp(V) + I_power_clamp(Vcc - V) = (V_fixture - V) / R_fixture
// with I_drive the [Pullup] at Vcc - V after a rising edge and the
// [Pulldown] at V after a falling one (currents into the pin, Vcc the
// [Voltage Range] typ). Only the typ columns are compared.

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "ibis/rules/IbisRuleParts.h"

namespace IbisRuleParts {

namespace {

// The typ column of an I-V table as (voltage, current) points, rising; the
// current at `v` by linear interpolation, the end values beyond the ends.
class Curve {
public:
    explicit Curve(const IbisIvTable& table)
    {
        for (const IbisIvRow& row : table.Rows)
            if (row.Current.Typ)
                points_.emplace_back(row.Voltage, *row.Current.Typ);
        std::sort(points_.begin(), points_.end());
    }
    bool Empty() const { return points_.empty(); }
    double At(double v) const
    {
        if (points_.empty())
            return 0.0;
        if (v <= points_.front().first)
            return points_.front().second;
        if (v >= points_.back().first)
            return points_.back().second;
        const auto hi = std::lower_bound(points_.begin(), points_.end(), std::make_pair(v, -HUGE_VAL));
        const auto lo = hi - 1;
        if (hi->first == lo->first)
            return hi->second;
        return lo->second + (v - lo->first) / (hi->first - lo->first) * (hi->second - lo->second);
    }

private:
    std::vector<std::pair<double, double>> points_;
};

// The settled pin voltage, by bisection over [-Vcc, 2 Vcc]; NaN when the
// balance does not change sign there.
double Settled(const Curve& drive, bool pullup, const Curve& gnd, const Curve& power, double vcc, double vfix,
               double rfix)
{
    const auto balance = [&](double v) {
        return (pullup ? drive.At(vcc - v) : drive.At(v)) + gnd.At(v) + power.At(vcc - v) - (vfix - v) / rfix;
    };
    double lo = -std::fabs(vcc), hi = 2.0 * std::fabs(vcc);
    double flo = balance(lo);
    if (flo * balance(hi) > 0.0)
        return std::nan("");
    for (int i = 0; i < 100; ++i) {
        const double mid = 0.5 * (lo + hi);
        const double fmid = balance(mid);
        if ((fmid < 0.0) == (flo < 0.0)) {
            lo = mid;
            flo = fmid;
        } else {
            hi = mid;
        }
    }
    return 0.5 * (lo + hi);
}

} // namespace

// A settled voltage off the table's last by more than a tenth of the edge's
// swing (and 50 mV) is a Warning: the tables were most likely taken under
// other conditions, and a simulator joins them with a jump.
void VtAgainstIv(const IbisFile& file, const IbisModel& m, IbisFindings& out)
{
    if (!m.VoltageRange.Typ || !m.Pullup.Line || !m.Pulldown.Line || !ModelKeywords(file, m, " reference").empty())
        return;
    const Curve pullup(m.Pullup), pulldown(m.Pulldown), gnd(m.GndClamp), power(m.PowerClamp);
    if (pullup.Empty() || pulldown.Empty())
        return;
    const double vcc = *m.VoltageRange.Typ;
    for (const bool rising : {true, false})
        for (const IbisWaveform& w : rising ? m.RisingWaveforms : m.FallingWaveforms) {
            if (w.Rows.size() < 2 || !w.RFixture.Value || !(*w.RFixture.Value > 0.0) || !w.VFixture.Value ||
                !w.Rows.front().Voltage.Typ || !w.Rows.back().Voltage.Typ)
                continue;
            const double end = *w.Rows.back().Voltage.Typ;
            const double swing = std::fabs(end - *w.Rows.front().Voltage.Typ);
            const double settled = Settled(rising ? pullup : pulldown, rising, gnd, power, vcc, *w.VFixture.Value,
                                           *w.RFixture.Value);
            if (std::isnan(settled) || std::fabs(settled - end) <= std::max(0.1 * swing, 0.05))
                continue;
            out.Warning("vt-iv", w.Rows.back().Voltage.Line,
                        std::string(rising ? "[Rising Waveform]" : "[Falling Waveform]") + " ends at " +
                            Value(end, "V") + "; the I-V tables settle at " + Value(settled, "V") +
                            " into its fixture (" + Value(*w.RFixture.Value, "ohm") + " to " +
                            Value(*w.VFixture.Value, "V") + ")");
        }
}

} // namespace IbisRuleParts

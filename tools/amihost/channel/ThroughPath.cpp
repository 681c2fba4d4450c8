#include "tools/amihost/channel/ThroughPath.h"

#include <cmath>
#include <cstdio>

namespace {

using Complex = std::complex<double>;

// The ports (counted from 1) of each end: [0] the transmitter's, [1] the
// receiver's; .P the positive line, .N the negative.
struct Pair {
    int P;
    int N;
};

// The two-port seen between the ends, at one frequency.
struct TwoPort {
    Complex S11, S12, S21, S22;
};

TwoPort Differential(const TouchstoneData& data, std::size_t point, const Pair (&ends)[2])
{
    auto dd = [&](int a, int b) {
        const Pair& to = ends[a];
        const Pair& from = ends[b];
        return 0.5 * (data.S(point, to.P, from.P) - data.S(point, to.P, from.N) - data.S(point, to.N, from.P) +
                      data.S(point, to.N, from.N));
    };
    return {dd(0, 0), dd(0, 1), dd(1, 0), dd(1, 1)};
}

// 2 V2 / Vs for the termination reflections gs, gl (see the header).
Complex Terminated(const TwoPort& s, double z1, double z2, double rs, Complex gs, Complex gl)
{
    const Complex input = s.S11 + s.S12 * s.S21 * gl / (1.0 - s.S22 * gl);
    return 2.0 * std::sqrt(z1 * z2) / (rs + z1) * (1.0 + gl) * s.S21 / ((1.0 - s.S22 * gl) * (1.0 - gs * input));
}

bool Resistance(double value, const char* what, std::string& error)
{
    if (value == 0.0 || (std::isfinite(value) && value > 0.0))
        return true;
    char text[96];
    std::snprintf(text, sizeof text, "the %s resistance %g ohm is not a positive number", what, value);
    error = text;
    return false;
}

} // namespace

bool ThroughPath::Transfer(const TouchstoneData& data, PairOrder order, const Terminations& ends, Result& result,
                           std::string& error)
{
    result = Result();
    if (data.Ports != 2 && data.Ports != 4) {
        error = "a channel needs a 2-port (.s2p) or a 4-port (.s4p) network, not " + std::to_string(data.Ports) +
                (data.Ports == 1 ? " port" : " ports");
        return false;
    }
    if (!Resistance(ends.Source, "source", error) || !Resistance(ends.Load, "load", error))
        return false;
    const bool differential = data.Ports == 4;
    const Pair pairs[2] = {order == Through12And34 ? Pair{1, 3} : Pair{1, 2},
                           order == Through12And34 ? Pair{2, 4} : Pair{3, 4}};
    double z[2] = {data.Reference[0], data.Reference[1]};
    if (differential) {
        for (int end = 0; end < 2; ++end) {
            const double zp = data.Reference[static_cast<std::size_t>(pairs[end].P - 1)];
            const double zn = data.Reference[static_cast<std::size_t>(pairs[end].N - 1)];
            if (zp != zn) {
                char text[160];
                std::snprintf(text, sizeof text, "ports %d and %d form a pair but differ in reference "
                                                 "impedance (%g and %g ohm)",
                              pairs[end].P, pairs[end].N, zp, zn);
                error = text;
                return false;
            }
            z[end] = zp + zn;
        }
    }
    result.Name = differential ? "Sdd21" : "S21";
    result.SourceReference = z[0];
    result.LoadReference = z[1];
    result.Source = ends.Source > 0.0 ? ends.Source : z[0];
    result.Load = ends.Load > 0.0 ? ends.Load : z[1];
    const Complex gs = (result.Source - z[0]) / (result.Source + z[0]);
    const Complex gl = (result.Load - z[1]) / (result.Load + z[1]);
    result.Transfer.resize(data.Frequencies.size());
    for (std::size_t p = 0; p < data.Frequencies.size(); ++p) {
        const TwoPort s = differential ? Differential(data, p, pairs)
                                       : TwoPort{data.S(p, 1, 1), data.S(p, 1, 2), data.S(p, 2, 1), data.S(p, 2, 2)};
        result.Transfer[p] = Terminated(s, z[0], z[1], result.Source, gs, gl);
    }
    return true;
}

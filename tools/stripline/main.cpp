// stripline: writes the S-parameters of a lossy differential stripline
// (DifferentialStripline: RLGC per mode, skin effect and a wideband Debye
// dielectric) as a single-ended Touchstone 4-port, and prints its
// differential loss at a few frequencies.
#include <CLI/CLI.hpp>

#include <cmath>
#include <complex>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/amihost/channel/DifferentialStripline.h"
#include "tools/amihost/channel/TouchstoneChannel.h"
#include "tools/amihost/channel/TouchstoneFile.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

constexpr double MaxPoints = 1e6;

std::string Comment(const DifferentialStripline& line, ThroughPath::PairOrder order)
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "Lossy differential stripline written by stripline: %g m, odd/even mode %g/%g ohm, relative\n"
                  "permittivity %g with loss tangent %g at %g GHz (wideband Debye, %g Hz .. %g Hz), copper traces\n"
                  "%g x %g um of %g S/m, skin factor %g. Ports %s: line P from port 1 to port %s.",
                  line.Length, line.OddImpedance, line.EvenImpedance, line.Permittivity, line.LossTangent,
                  line.RefFrequency * 1e-9, line.DebyeLow, line.DebyeHigh, line.TraceWidth * 1e6,
                  line.TraceThickness * 1e6, line.Conductivity, line.SkinFactor, TouchstoneChannel::OrderName(order),
                  order == ThroughPath::Through12And34 ? "2, line N from 3 to 4" : "3, line N from 2 to 4");
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    DifferentialStripline line;
    std::string path;
    std::string orderName = "1-2/3-4";
    double start = 10e6;
    double stop = 50e9;
    double step = 10e6;
    int version = 1;
    CLI::App app{"stripline: writes a lossy differential stripline as a Touchstone 4-port (.s4p)", "stripline"};
    app.add_option("file", path, "the .s4p file to write")->required();
    app.add_option("--length", line.Length, "length in metres (default 0.6)")->check(CLI::Range(1e-4, 10.0));
    app.add_option("--start", start, "first frequency in Hz (default 1e7)")->check(CLI::Range(0.0, 1e12));
    app.add_option("--stop", stop, "last frequency in Hz (default 5e10)")->check(CLI::Range(1.0, 1e12));
    app.add_option("--step", step, "frequency step in Hz (default 1e7)")->check(CLI::Range(1.0, 1e12));
    app.add_option("--s4p-order", orderName, "ports 1-2/3-4 (default) or 1-3/2-4")
        ->check(CLI::IsMember({"1-2/3-4", "1-3/2-4"}));
    app.add_option("--touchstone-version", version, "1 (default) or 2")->check(CLI::IsMember({1, 2}));
    CLI11_PARSE(app, argc, argv);

    const double points = std::floor((stop - start) / step) + 1.0;
    if (!(points >= 2.0 && points <= MaxPoints)) {
        std::fprintf(stderr, "stripline: error: --start, --stop and --step must give 2 .. %g frequencies\n", MaxPoints);
        return 2;
    }
    std::vector<double> frequencies;
    for (double i = 0.0; i < points; i += 1.0)
        frequencies.push_back(start + i * step);
    const ThroughPath::PairOrder order =
        orderName == "1-3/2-4" ? ThroughPath::Through13And24 : ThroughPath::Through12And34;
    std::string error;
    const std::string text = TouchstoneFile::Write(line.Network(frequencies, order), version, Comment(line, order));
    if (!TextFile::Write(path, text, error)) {
        std::fprintf(stderr, "stripline: error: %s\n", error.c_str());
        return 1;
    }
    std::printf("stripline: wrote %s: %g m, %zu frequencies %g .. %g GHz; Sdd21:", path.c_str(), line.Length,
                frequencies.size(), start * 1e-9, stop * 1e-9);
    for (double f : {1e9, 4e9, 8e9, 16e9, 32e9}) {
        std::complex<double> s11, s21;
        line.ModeParameters(DifferentialStripline::Odd, f, s11, s21);
        std::printf(" %.1f dB at %g GHz%s", 20.0 * std::log10(std::abs(s21)), f * 1e-9, f < 32e9 ? "," : "\n");
    }
    return 0;
}

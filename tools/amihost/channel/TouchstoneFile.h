#pragma once

#include <complex>
#include <cstddef>
#include <string>
#include <vector>

// A network's S-parameters, as a Touchstone file holds them: one square
// matrix per frequency, each port with its real reference impedance.
struct TouchstoneData {
    int Ports = 0;
    std::vector<double> Frequencies;              // Hz, finite, >= 0, strictly increasing
    std::vector<std::complex<double>> Parameters; // S(i+1)(j+1) of point p at (p * Ports + i) * Ports + j
    std::vector<double> Reference;                // ohms, one per port, finite and > 0

    // S(to)(from) of frequency point `point`, ports counted from 1 (S(p, 2, 1)
    // is S21: the wave out of port 2 for a wave into port 1).
    std::complex<double> S(std::size_t point, int to, int from) const
    {
        return Parameters[(point * static_cast<std::size_t>(Ports) + static_cast<std::size_t>(to - 1)) *
                              static_cast<std::size_t>(Ports) +
                          static_cast<std::size_t>(from - 1)];
    }
};

// Reader and writer of Touchstone files, versions 1.x and 2.0 (2.1 read too).
//
// Version 1.x (no [Version] line): the port count comes from the name's
// extension .sNp (.s2p: 2); "!" starts a comment; the option line
// "# [unit] [parameter] [format] [R ohms]" (fields in any order, case
// ignored, defaults GHZ S MA R 50) must come before the data, and later
// option lines are ignored. Data: the frequency, then the matrix's values as
// pairs, in rows (S11 S12 ... S1N S21 ...), except that a 2-port gives S11
// S21 S12 S22; a point may span any number of lines. In a 2-port file a
// frequency not above the one before begins the noise parameters, which are
// skipped, if it begins a line of 5 values (frequency, NFmin, |Gopt|, its
// angle, Rn / R: one noise frequency a line); else it is a frequency that
// does not increase, reported at its line. A file whose data do not read
// as the port count of its name but do read as 1 to 4 ports, each point
// beginning its line, is reported as such at its first data line ("the
// data are rows of a 4-port (33 values a frequency), not of the 2 ports
// that the name says").
// Version 2.0: "[Version] 2.0" first, then the option line, [Number of
// Ports] (which a .sNp name must agree with), [Two-Port Data Order] 12_21 or
// 21_12 (2-ports), [Number of Frequencies], and optionally [Reference] (one
// impedance per port, which may span lines; else R of the option line),
// [Matrix Format] Full, Lower or Upper (the other triangle mirrored),
// [Number of Noise Frequencies], [Begin Information] ... [End Information]
// (skipped), then [Network Data], optionally [Noise Data] (skipped) and
// [End].
//
// Units: HZ, KHZ, MHZ, GHZ. Formats: RI (real, imaginary), MA (magnitude,
// angle in degrees), DB (20 log10 of the magnitude, angle in degrees).
// Refused, each with one line "NAME:LINE: what": parameters other than S
// (Y, Z, H, G), mixed-mode data, an unknown keyword or option, a value that
// is not a finite number or that overflows, frequencies that do not
// increase, an incomplete last point, a count that differs from [Number of
// Frequencies], a non-positive reference, more than MaxPorts ports or
// MaxValues values, and a NUL byte.
class TouchstoneFile {
public:
    static constexpr int MaxPorts = 32;
    static constexpr std::size_t MaxValues = std::size_t{1} << 23; // complex values in one file
    static constexpr std::size_t MaxBytes = std::size_t{1} << 30;  // for callers that read the file

    // The port count that a name ending in .sNp (any case, N in 1 .. 999)
    // states; 0 for any other name.
    static int PortsFromName(const std::string& name);

    // Parses `text`, the contents of the file called `name`. On failure
    // returns false, sets `error` and leaves `data` empty.
    static bool Read(const std::string& text, const std::string& name, TouchstoneData& data, std::string& error);

    // The text of `data` in version 1 (one reference for every port: the
    // first) or 2, frequencies in HZ, values RI, every number with 17
    // significant digits so that reading it back gives the same bits.
    static std::string Write(const TouchstoneData& data, int version, const std::string& comment);
};

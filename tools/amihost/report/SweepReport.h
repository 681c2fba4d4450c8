#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/amihost/eye/BerAnalysis.h"
#include "tools/amihost/eye/EyeAnalysis.h"

// The table of `amihost sweep`: one row per value of the swept parameter,
// the best setting marked, as CSV (sweep.csv) and as the printed table.
class SweepReport {
public:
    struct Row {
        std::string Value;     // the parameter's value, as sent
        double DeemphasisDb;   // NaN when undefined
        EyeResult Eye;
        double RelativeEye;    // eye height against the steady swing at the eye
        double SteadyLevel = 0.0; // the model's output for a unit step, at its end
        std::string Warning;      // why the setting misbehaves (SettingLevels); empty when it does not
        BerResult Ber;            // the eye at the target BER
    };

    // The best row, by the eye at the target BER (Ber; the measured Eye
    // where the BER fit is not valid): the largest area of the rectangle
    // inside its contour,
    //   Score = Height (V) x Width (UI),
    // an open eye before any closed one; scores within NearTie of the best
    // are equal within what the measurement resolves (the width is read on
    // a grid of 1/spb UI, the height from a fit), and of those the one with
    // the lowest value wins (the least boost; sweep order for values that
    // are not numbers). A row with a Warning never; rows.size() when no
    // row's eye is open.
    static constexpr double NearTie = 0.02;
    static std::size_t Best(const std::vector<Row>& rows);

    // The rule above in one line, for --help, the table and the docs.
    static const char* BestRule();

    // sweep.csv: setting, de-emphasis, eye height, height over swing, width,
    // best (0/1), the target BER and the eye's height and width at it, the
    // steady level and its warning (0/1).
    static std::string Csv(const std::vector<Row>& rows, std::size_t best);

    // The printed table under a header naming `key`, best row marked "*",
    // a row with a Warning marked "!" after its steady level, the closing
    // line that names the best setting, then one line per warning.
    //   de  de-emphasis (dB)  eye height (V)  eye / swing  eye width (UI)  height at 1e-12  width at 1e-12  steady level
    static std::string Table(const std::string& key, const std::vector<Row>& rows, std::size_t best);

    // "eye_KEY_VALUE.svg", with every character but letters, digits, ".",
    // "-" and "_" replaced by "_".
    static std::string EyeFileName(const std::string& key, const std::string& value);
    // "eye_KEY_<value>.svg", for the report.
    static std::string EyeFilePattern(const std::string& key);
    // "bathtub_KEY_VALUE.svg" and "bathtub_KEY_<value>.svg", likewise.
    static std::string BathtubFileName(const std::string& key, const std::string& value);
    static std::string BathtubFilePattern(const std::string& key);
};

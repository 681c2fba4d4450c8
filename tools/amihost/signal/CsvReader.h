#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Numeric CSV as the tool reads it: stimulus waves and channel impulse
// responses.
//
// One row per line ("\n" or "\r\n"); fields separated by ",", ";", blanks or
// tabs; blank lines and lines starting with "#" are skipped. The first row
// that is left may be a header (any field that is not a number), and is then
// skipped too. Every other field must be a finite decimal number, every row
// must have the same number of fields, and that number must lie in
// 1 .. maxColumns. Faults give one line "NAME:LINE: what". At most MaxRows
// rows are read, so a malformed or hostile file cannot exhaust memory.
struct CsvTable {
    std::vector<std::vector<double>> Columns; // Columns[c][r]: field c of data row r
    std::vector<int> Lines;                   // 1-based file line of each data row
};

class CsvReader {
public:
    static constexpr std::size_t MaxRows = 20000000;

    // Parses `text` (the contents of the file called `name`). On failure
    // returns false, sets `error` and leaves `table` empty.
    static bool ReadTable(const std::string& text, const std::string& name,
                          std::size_t maxColumns, CsvTable& table, std::string& error);

    // How ReadSignal got its samples.
    struct SignalSource {
        bool Resampled = false;  // the file's times were off the grid (Resampler)
        double FileStep = 0.0;   // the file's mean time step, seconds; 0 for one column
    };

    // A signal at the grid of `sampleInterval` seconds: one column of
    // values, taken as one sample per interval; or two columns (time in
    // seconds, value) put onto the grid t0 + i * sampleInterval by Resampler:
    // as they are when they lie on it up to rounding, else by box means, for
    // which the times must rise strictly. `source`, if given, says which.
    static bool ReadSignal(const std::string& text, const std::string& name,
                           double sampleInterval, std::vector<double>& values,
                           std::string& error, SignalSource* source = nullptr);
};

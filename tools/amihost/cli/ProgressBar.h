#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Progress of a long piece of work on standard error, with the time left.
//
// The work is `total` units (samples); the bar counts in items of
// `Units::WorkPerItem` units each (bits: the samples per bit), and estimates
// the time left from the rate so far:
//   left = elapsed (total - done) / done                         (seconds)
// shown once EstimateAfterSeconds have passed or EstimateAfterShare of the
// work is done.
//
// Terminal: one line redrawn in place (a carriage return before it), at most
// ten times a second, cleared by Finish() (or the destructor):
//   [#########...........]  42%  4.2M of 10M bits, 0:37 left  de=5
// Log (standard error is a file or a pipe): no carriage returns, one plain
// line as each tenth of the work is passed (10 %, 20 %, ..., 100 %, each at
// most once, in order; when one update passes several, only the last):
//   amihost: 40% done, 4M of 10M bits, 0:37 left
// Short runs print none of them: the lines start once the run is expected
// to take LogAfterSeconds or more (elapsed / share done), and then go on
// to 100 %, so a log of quick runs stays as it was.
// None: nothing at all.
class ProgressBar {
public:
    enum class Output { None, Terminal, Log };

    // What the bar counts: WorkPerItem units of work make one item.
    struct Units {
        double WorkPerItem = 1.0;
        std::string Name = "samples";
    };

    // Seconds from any fixed instant, never decreasing.
    using Clock = std::function<double()>;
    // Takes each piece of text the bar prints.
    using Writer = std::function<void(const std::string&)>;

    static constexpr double EstimateAfterSeconds = 1.0;
    static constexpr double EstimateAfterShare = 0.02;
    static constexpr double LogAfterSeconds = 5.0;
    static constexpr int Width = 20;   // the bar's cells
    static constexpr int Columns = 79; // a terminal line, padded to wipe the one before

    // `total` units of work in all; `enabled` false prints nothing, else the
    // output suits standard error (Where()). The clock is the steady clock.
    ProgressBar(std::size_t total, bool enabled);
    // Everything chosen; the writer defaults to standard error.
    ProgressBar(std::size_t total, Output output, Units units, Clock clock, Writer writer = {});
    ~ProgressBar() { Finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Standard error is a terminal.
    static bool Terminal();
    // Terminal when standard error is one, else Log.
    static Output Where();

    // `done` units finished so far; `label` says what runs (the terminal
    // line shows it).
    void Update(std::size_t done, const std::string& label);
    void Finish();

    // "0:07", "4:05", "1:02:03": whole seconds, rounded; "?:??" when not
    // finite, negative as 0.
    static std::string Duration(double seconds);
    // "950", "4.2k", "10M", "1.5G": two figures below ten of a unit, else none.
    static std::string Amount(double items);
    // The time left, absent (empty) until the estimate is shown.
    static std::string TimeLeft(std::size_t done, std::size_t total, double elapsed);
    // The two kinds of line (without the carriage return or the newline).
    static std::string TerminalLine(std::size_t done, std::size_t total, double elapsed, const Units& units,
                                    const std::string& label);
    static std::string LogLine(std::size_t done, std::size_t total, double elapsed, const Units& units);

private:
    void Draw(std::size_t done, double now, const std::string& label);
    void Log(std::size_t done, double now);

    std::size_t total_;
    Output output_;
    Units units_;
    Clock clock_;
    Writer writer_;
    double start_;        // the clock when the bar was made
    double last_ = 0.0;   // the clock at the last drawing
    bool drawn_ = false;  // a terminal line is on the screen
    int tenths_ = 0;      // tenths of the work printed to a log
    bool loud_ = false;   // the log lines have begun
};

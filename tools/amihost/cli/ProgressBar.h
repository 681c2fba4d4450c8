#pragma once

#include <chrono>
#include <cstddef>
#include <string>

// A one-line progress bar on standard error, drawn only when standard error
// is a terminal (never into logs or pipes), redrawn at most ten times a
// second. Finish() (or the destructor) clears the line.
class ProgressBar {
public:
    // `total` units of work in all; `enabled` false draws nothing.
    ProgressBar(std::size_t total, bool enabled);
    ~ProgressBar() { Finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Standard error is a terminal.
    static bool Terminal();

    // `done` units finished so far; `label` says what runs.
    void Update(std::size_t done, const std::string& label);
    void Finish();

private:
    std::size_t total_;
    bool enabled_;
    bool drawn_ = false; // a line is on the screen
    std::chrono::steady_clock::time_point last_;
};

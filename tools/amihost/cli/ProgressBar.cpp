#include "tools/amihost/cli/ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void ToStandardError(const std::string& text)
{
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

// `done` of `total` (total > 0) as a whole percentage, at most 100.
int Percent(std::size_t done, std::size_t total)
{
    return static_cast<int>(static_cast<double>(std::min(done, total)) * 100.0 / static_cast<double>(total));
}

// "4.2M of 10M bits".
std::string Counted(std::size_t done, std::size_t total, const ProgressBar::Units& units)
{
    const double per = units.WorkPerItem > 0.0 ? units.WorkPerItem : 1.0;
    return ProgressBar::Amount(static_cast<double>(std::min(done, total)) / per) + " of " +
           ProgressBar::Amount(static_cast<double>(total) / per) + " " + units.Name;
}

} // namespace

ProgressBar::ProgressBar(std::size_t total, bool enabled)
    : ProgressBar(total, enabled ? Where() : Output::None, Units(), SteadySeconds)
{
}

ProgressBar::ProgressBar(std::size_t total, Output output, Units units, Clock clock, Writer writer)
    : total_(total > 0 ? total : 1), output_(output), units_(std::move(units)),
      clock_(clock ? std::move(clock) : Clock(SteadySeconds)),
      writer_(writer ? std::move(writer) : Writer(ToStandardError)), start_(clock_())
{
}

bool ProgressBar::Terminal() { return isatty(STDERR_FILENO) == 1; }

ProgressBar::Output ProgressBar::Where() { return Terminal() ? Output::Terminal : Output::Log; }

std::string ProgressBar::Duration(double seconds)
{
    if (!std::isfinite(seconds))
        return "?:??";
    // Beyond a century a run is not worth counting in seconds of a long.
    const long long whole = std::llround(std::min(std::max(seconds, 0.0), 3.2e9));
    char text[32];
    if (whole < 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

std::string ProgressBar::Amount(double items)
{
    static const char* const prefixes[] = {"", "k", "M", "G", "T"};
    int prefix = 0;
    while (items >= 1000.0 && prefix < 4) {
        items /= 1000.0;
        ++prefix;
    }
    char text[32];
    std::snprintf(text, sizeof text, prefix == 0 || items >= 10.0 ? "%.0f" : "%.1f", items);
    std::string amount = text;
    // "1.0M" reads as "1M"; 9.96 rounds to "10.0".
    if (amount.size() > 2 && amount.compare(amount.size() - 2, 2, ".0") == 0)
        amount.resize(amount.size() - 2);
    return amount + prefixes[prefix];
}

std::string ProgressBar::TimeLeft(std::size_t done, std::size_t total, double elapsed)
{
    if (done == 0 || total == 0)
        return "";
    const double share = static_cast<double>(std::min(done, total)) / static_cast<double>(total);
    if (elapsed < EstimateAfterSeconds && share < EstimateAfterShare)
        return "";
    return Duration(elapsed * (1.0 - share) / share);
}

std::string ProgressBar::TerminalLine(std::size_t done, std::size_t total, double elapsed, const Units& units,
                                      const std::string& label)
{
    const std::size_t whole = total > 0 ? total : 1;
    const std::size_t filled = std::min(done, whole) * Width / whole;
    std::string line = "[" + std::string(filled, '#') + std::string(Width - filled, '.') + "]";
    char percent[16];
    std::snprintf(percent, sizeof percent, " %3d%%  ", Percent(done, whole));
    line += percent + Counted(done, whole, units);
    const std::string left = TimeLeft(done, whole, elapsed);
    if (!left.empty())
        line += ", " + left + " left";
    line += "  " + label;
    line.resize(Columns, ' ');
    return line;
}

std::string ProgressBar::LogLine(std::size_t done, std::size_t total, double elapsed, const Units& units)
{
    const std::size_t whole = total > 0 ? total : 1;
    std::string line = "amihost: " + std::to_string(Percent(done, whole)) + "% done, " + Counted(done, whole, units);
    const std::string left = TimeLeft(done, whole, elapsed);
    return left.empty() ? line : line + ", " + left + " left";
}

void ProgressBar::Update(std::size_t done, const std::string& label)
{
    if (output_ == Output::None)
        return;
    const double now = clock_();
    if (output_ == Output::Terminal)
        Draw(done, now, label);
    else
        Log(done, now);
}

void ProgressBar::Draw(std::size_t done, double now, const std::string& label)
{
    if (drawn_ && now - last_ < 0.1 && done < total_)
        return;
    last_ = now;
    writer_("\r" + TerminalLine(done, total_, now - start_, units_, label));
    drawn_ = true;
}

void ProgressBar::Log(std::size_t done, double now)
{
    const int tenth = Percent(done, total_) / 10;
    if (tenth <= tenths_)
        return;
    const double elapsed = now - start_;
    const double share = static_cast<double>(std::min(done, total_)) / static_cast<double>(total_);
    // Quick runs stay quiet; the tenths they pass are not printed later.
    loud_ = loud_ || elapsed >= LogAfterSeconds * share;
    tenths_ = tenth;
    if (loud_)
        writer_(LogLine(done, total_, elapsed, units_) + "\n");
}

void ProgressBar::Finish()
{
    if (!drawn_)
        return;
    writer_("\r" + std::string(Columns, ' ') + "\r");
    drawn_ = false;
}

#include "tools/amihost/cli/ProgressBar.h"

#include <unistd.h>

#include <cstdio>

ProgressBar::ProgressBar(std::size_t total, bool enabled)
    : total_(total > 0 ? total : 1), enabled_(enabled), last_(std::chrono::steady_clock::now())
{
}

bool ProgressBar::Terminal() { return isatty(STDERR_FILENO) == 1; }

void ProgressBar::Update(std::size_t done, const std::string& label)
{
    if (!enabled_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - last_ < std::chrono::milliseconds(100) && done < total_)
        return;
    last_ = now;
    const int width = 30;
    const std::size_t shown = done < total_ ? done : total_;
    const int filled = static_cast<int>(shown * width / total_);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(width - filled), '.');
    std::fprintf(stderr, "\r[%s] %3d%% %-40.40s", bar.c_str(), static_cast<int>(shown * 100 / total_),
                 label.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::Finish()
{
    if (!drawn_)
        return;
    std::fprintf(stderr, "\r%80s\r", "");
    std::fflush(stderr);
    drawn_ = false;
}

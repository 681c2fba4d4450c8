#include "tools/amihost/host/AmiSession.h"

#include <chrono>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "tools/amihost/host/guard/IsolatedRun.h"

namespace {

// A C string of unknown origin, bounded so a missing terminator cannot run away.
std::string Copied(const char* text)
{
    if (!text)
        return std::string();
    const void* end = std::memchr(text, '\0', 1u << 20);
    std::string copy(text, end ? static_cast<const char*>(end) - text : (1u << 20));
    for (char& c : copy)
        if (c == '\n' || c == '\r')
            c = ' ';
    while (!copy.empty() && copy.back() == ' ')
        copy.pop_back();
    return copy;
}

} // namespace

bool AmiSession::Init(const std::vector<double>& impulse, double sampleInterval, double bitTime,
                      const std::string& parameters, std::string& error)
{
    Close();
    std::vector<double> matrix = impulse;
    if (matrix.empty())
        matrix.push_back(1.0 / sampleInterval);
    std::vector<char> text(parameters.begin(), parameters.end());
    text.push_back('\0');
    char* parametersOut = nullptr;
    char* message = nullptr;
    IsolatedRun::Mark("AMI_Init");
    const long result = model_.Init(matrix.data(), static_cast<long>(matrix.size()), 0, sampleInterval, bitTime,
                                    text.data(), &parametersOut, &handle_, &message);
    message_ = Copied(message);
    parametersOut_ = Copied(parametersOut);
    impulseOut_ = std::move(matrix);
    samplesDone_ = 0;
    if (result == 0) {
        error = model_.Path + ": AMI_Init returned 0" + (message_.empty() ? " with no message" : ": " + message_);
        return false;
    }
    if (!handle_) {
        error = model_.Path + ": AMI_Init returned no memory handle";
        return false;
    }
    return true;
}

bool AmiSession::GetWave(double* wave, std::size_t n, std::string& error)
{
    if (!handle_ || !model_.GetWave) {
        error = model_.Path + (model_.GetWave ? ": AMI_GetWave on an instance that is not open"
                                              : ": the model has no AMI_GetWave");
        return false;
    }
    clock_.assign(n + 1, std::numeric_limits<double>::quiet_NaN());
    char* parametersOut = nullptr;
    IsolatedRun::Mark("AMI_GetWave");
    const auto start = std::chrono::steady_clock::now();
    const long returned = model_.GetWave(wave, static_cast<long>(n), clock_.data(), &parametersOut, handle_);
    getWaveSeconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (returned == 0) {
        // The model may have moved the text AMI_Init's message pointed to,
        // so there is no message to quote here.
        error = model_.Path + ": AMI_GetWave returned 0 on samples " + std::to_string(samplesDone_) + " .. " +
                std::to_string(samplesDone_ + n - (n > 0)) + " of the wave";
        return false;
    }
    samplesDone_ += n;
    return true;
}

bool AmiSession::Process(std::vector<double>& wave, std::size_t blockSize,
                         const std::function<void(std::size_t)>& progress, std::string& error,
                         std::vector<double>* clockTimes)
{
    for (std::size_t start = 0; start < wave.size(); start += blockSize) {
        const std::size_t n = std::min(blockSize, wave.size() - start);
        if (!Process(wave.data() + start, n, n, error, clockTimes))
            return false;
        if (progress)
            progress(start + n);
    }
    return true;
}

bool AmiSession::Process(double* wave, std::size_t n, std::size_t blockSize, std::string& error,
                         std::vector<double>* clockTimes)
{
    for (std::size_t start = 0; start < n; start += blockSize) {
        const std::size_t size = std::min(blockSize, n - start);
        if (!GetWave(wave + start, size, error) || (clockTimes && !CollectClock(size, *clockTimes, error)))
            return false;
    }
    return true;
}

bool AmiSession::CollectClock(std::size_t n, std::vector<double>& times, std::string& error)
{
    // Messages are built only on failure: this runs after every call.
    auto fail = [&](std::size_t i, const std::string& what) {
        error = model_.Path + ": AMI_GetWave on samples " + std::to_string(samplesDone_ - n) + " .. " +
                std::to_string(samplesDone_ - 1) + " " + what;
        if (i < clock_.size() && !std::isnan(clock_[i])) {
            char text[160];
            std::snprintf(text, sizeof text, " (clock_times[%zu] = %.17g)", i, clock_[i]);
            error += text;
        }
        return false;
    };
    for (std::size_t i = 0; i < clock_.size(); ++i) {
        const double t = clock_[i];
        if (t == -1.0)
            return true;
        if (std::isnan(t)) // as the list was before the call
            return fail(i, "wrote no end mark -1 after its clock times");
        if (!std::isfinite(t) || t < 0.0)
            return fail(i, "returned a clock time that is not a time");
        if (lastClock_ >= 0.0 && !(t > lastClock_))
            return fail(i, "returned a clock time that is not after the one before it");
        times.push_back(t);
        lastClock_ = t;
    }
    return fail(clock_.size(), "wrote no end mark -1 after its clock times");
}

bool AmiSession::ImpulseOutFinite(std::string& error) const
{
    for (std::size_t i = 0; i < impulseOut_.size(); ++i)
        if (!std::isfinite(impulseOut_[i])) {
            error = model_.Path + ": AMI_Init returned an impulse response whose sample " + std::to_string(i) +
                    " is not finite";
            return false;
        }
    return true;
}

bool AmiSession::Close()
{
    if (!handle_)
        return true;
    void* handle = handle_;
    handle_ = nullptr;
    IsolatedRun::Mark("AMI_Close");
    return model_.Close(handle) != 0;
}

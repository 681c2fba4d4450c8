#include "params/AmiMemory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<long> errorCount{0};
// Requests left before the armed failure; 0 = unarmed.
std::atomic<long> failureCountdown{0};
// Null until a stream is chosen; standard error is the default choice.
std::atomic<std::FILE*> messageStream{nullptr};

// True when this request is the one armed to fail.
bool InjectedFailure()
{
    long left = failureCountdown.load(std::memory_order_relaxed);
    while (left > 0) {
        if (failureCountdown.compare_exchange_weak(left, left - 1, std::memory_order_relaxed))
            return left == 1;
    }
    return false;
}

std::FILE* Stream()
{
    std::FILE* stream = messageStream.load(std::memory_order_acquire);
    return stream != nullptr ? stream : stderr;
}

// One formatted write per message keeps concurrent lines whole.
void ReportError(const char* what, std::size_t bytes)
{
    char message[96];
    std::snprintf(message, sizeof message, "%s.  This request %u.\n", what,
                  static_cast<unsigned>(bytes));
    errorCount.fetch_add(1, std::memory_order_relaxed);
    std::FILE* stream = Stream();
    std::fprintf(stream, "ERROR - %s\n", message);
    std::fflush(stream);
}

void ReportProgramBug(int line)
{
    char message[96];
    std::snprintf(message, sizeof message, "Unable to Allocate Memory: %s %d", "AmiMemory.cpp", line);
    errorCount.fetch_add(1, std::memory_order_relaxed);
    std::FILE* stream = Stream();
    std::fprintf(stream, "PROGRAM BUG - %s\n", message);
    std::fflush(stream);
}

} // namespace

void* AmiMemory::Allocate(std::size_t bytes)
{
    void* block = InjectedFailure() ? nullptr : std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (block == nullptr)
        ReportError("Memory allocation failed", bytes);
    return block;
}

void* AmiMemory::Grow(void* block, std::size_t bytes)
{
    void* grown = InjectedFailure() ? nullptr : std::realloc(block, bytes == 0 ? 1 : bytes);
    if (grown == nullptr)
        ReportError("Memory reallocation failed", bytes);
    return grown;
}

char* AmiMemory::CopyText(const char* begin, std::size_t length)
{
    char* copy = static_cast<char*>(Allocate(length + 1));
    if (copy != nullptr && length > 0)
        std::memcpy(copy, begin, length);
    return copy;
}

char* AmiMemory::DuplicateText(const char* text)
{
    std::size_t bytes = std::strlen(text) + 1;
    char* copy = InjectedFailure() ? nullptr : static_cast<char*>(std::malloc(bytes));
    if (copy == nullptr) {
        ReportProgramBug(__LINE__);
        return nullptr;
    }
    std::memcpy(copy, text, bytes);
    return copy;
}

void AmiMemory::Release(void* block) { std::free(block); }

long AmiMemory::ErrorCount() { return errorCount.load(std::memory_order_relaxed); }

void AmiMemory::FailNthAllocation(long n)
{
    failureCountdown.store(n > 0 ? n : 0, std::memory_order_relaxed);
}

long AmiMemory::PendingFailure() { return failureCountdown.load(std::memory_order_relaxed); }

void AmiMemory::SetMessageStream(std::FILE* stream)
{
    messageStream.store(stream, std::memory_order_release);
}

#include "tools/amihost/host/guard/IsolatedRun.h"

#include <cerrno>
#include <cstring>

#if !defined(_WIN32)
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#endif

namespace {

// The child's view of the page shared with its parent for Mark: set only in
// the child (which has only the forking thread), null everywhere else.
char* childMark = nullptr;

#if !defined(_WIN32)
// The first byte the child sends: work returned true or false. A child that
// leaves without it (a model calling exit) did not return.
constexpr char Returned = 'T';
constexpr char ReturnedFalse = 'F';

// Writes all of `bytes` to `fd`, retrying on interruption; false on error.
bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

double Now()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Reads `fd` to its end into `bytes`; false when the deadline (0: none)
// passed first.
bool ReadAll(int fd, std::string& bytes, double deadline)
{
    char buffer[65536];
    for (;;) {
        int wait = -1;
        if (deadline > 0.0) {
            const double left = deadline - Now();
            if (left <= 0.0)
                return false;
            wait = static_cast<int>(left * 1000.0) + 1;
        }
        pollfd polled {fd, POLLIN, 0};
        const int ready = poll(&polled, 1, wait);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            continue; // the deadline is checked above
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return true; // the child's end closed (or failed): all there is
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}
#endif

} // namespace

IsolatedRun::Result IsolatedRun::Run(const std::function<bool(std::string& output)>& work, double timeoutSeconds)
{
    Result result;
#if defined(_WIN32)
    (void)timeoutSeconds;
    result.Succeeded = work(result.Output);
    result.End = Ending::Returned;
    return result;
#else
    // The mark page: MaxMark characters and a terminating 0, zeroed by mmap.
    void* page = mmap(nullptr, MaxMark + 1, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) {
        result.Reason = std::string("cannot share a page with a process: ") + std::strerror(errno);
        return result;
    }
    int ends[2];
    if (pipe(ends) != 0) {
        result.Reason = std::string("cannot make a pipe: ") + std::strerror(errno);
        munmap(page, MaxMark + 1);
        return result;
    }
    const pid_t child = fork();
    if (child < 0) {
        result.Reason = std::string("cannot start a process: ") + std::strerror(errno);
        close(ends[0]);
        close(ends[1]);
        munmap(page, MaxMark + 1);
        return result;
    }
    if (child == 0) {
        childMark = static_cast<char*>(page);
        close(ends[0]);
        std::string output;
        const bool succeeded = work(output);
        output.insert(output.begin(), succeeded ? Returned : ReturnedFalse);
        _exit(WriteAll(ends[1], output) ? 0 : 2);
    }
    close(ends[1]);
    const bool finished = ReadAll(ends[0], result.Output, timeoutSeconds > 0.0 ? Now() + timeoutSeconds : 0.0);
    close(ends[0]);
    if (!finished)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const char* mark = static_cast<const char*>(page);
    result.LastMark.assign(mark, strnlen(mark, MaxMark));
    munmap(page, MaxMark + 1);
    if (!finished) {
        result.End = Ending::TimedOut;
        result.Output.clear();
    } else if (WIFSIGNALED(status)) {
        result.End = Ending::Signalled;
        result.Signal = WTERMSIG(status);
        result.Output.clear();
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !result.Output.empty() &&
               (result.Output[0] == Returned || result.Output[0] == ReturnedFalse)) {
        result.End = Ending::Returned;
        result.Succeeded = result.Output[0] == Returned;
        result.Output.erase(0, 1);
    } else {
        result.End = Ending::Exited;
        result.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.Output.clear();
    }
    return result;
#endif
}

void IsolatedRun::Mark(const char* name)
{
    if (!childMark)
        return;
    std::size_t n = 0;
    for (; n < MaxMark && name[n] != '\0'; ++n)
        childMark[n] = name[n];
    childMark[n] = '\0';
}

std::string IsolatedRun::SignalName(int signal)
{
#if defined(_WIN32)
    return "signal " + std::to_string(signal);
#else
    const char* abbreviation = signal == SIGSEGV   ? "SIGSEGV"
                               : signal == SIGBUS  ? "SIGBUS"
                               : signal == SIGILL  ? "SIGILL"
                               : signal == SIGABRT ? "SIGABRT"
                               : signal == SIGFPE  ? "SIGFPE"
                               : signal == SIGKILL ? "SIGKILL"
                                                   : nullptr;
    const char* description = strsignal(signal);
    std::string name = abbreviation ? abbreviation : "signal " + std::to_string(signal);
    if (description)
        name += std::string(" (") + description + ")";
    return name;
#endif
}

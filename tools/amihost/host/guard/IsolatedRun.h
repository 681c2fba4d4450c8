#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Work that calls into a model, run in a child process so that a crash
// inside the model (a bad pointer, a trap, an abort) ends the child, not
// the host, and comes back as a result carrying the signal.
//
// POSIX: fork; the child runs `work`, sends through a pipe one byte for
// what work returned ('T' or 'F') and then the bytes it produced, and
// leaves with _exit(0), running no destructors or atexit handlers of the
// host; a child that ends without sending that byte (a model that calls
// exit) is Exited, whatever its status. Other threads' children forked
// meanwhile may hold the pipe open a little longer; that only delays. The parent reads
// the pipe to its end, then reaps the child. A child still running after
// `timeoutSeconds` (> 0; 0 waits for ever) is killed (SIGKILL) and
// reported as TimedOut. The child has a copy of the host's memory: what
// work changes there (a model's state, counters) stays in the child; only
// its bytes come back. Only the forking thread exists in the child, so
// work should not wait on locks that other threads of the host may hold.
// Windows has no fork: there work runs in the host's process, unprotected,
// and a crash ends the host as it would without this class.
class IsolatedRun {
public:
    enum class Ending {
        Returned,  // work returned; Succeeded says what it returned
        Signalled, // the child died of Signal (a crash inside the work)
        Exited,    // the child left otherwise, with ExitStatus (an exit() inside a model)
        TimedOut,  // killed after the time allowed
        NotRun,    // no child could be made (Reason says why)
    };

    struct Result {
        Ending End = Ending::NotRun;
        bool Succeeded = false; // work returned true
        int Signal = 0;         // Signalled: the signal's number
        int ExitStatus = 0;     // Exited: the status given to exit
        std::string Output;     // the bytes work produced (Returned only)
        std::string Reason;     // NotRun: why, one line
        std::string LastMark;   // the last Mark the child made ("AMI_Init"), empty for none
    };

    // Runs work(output) as above.
    static Result Run(const std::function<bool(std::string& output)>& work, double timeoutSeconds = 0.0);

    // Records, in a child of Run, what the work enters next (a model's entry
    // point), so that a crash names where it happened: the name (up to
    // MaxMark characters) lands in a page shared with the parent and comes
    // back as Result::LastMark. Does nothing outside a child (and on
    // Windows); cheap enough to call before every call into a model.
    static constexpr std::size_t MaxMark = 63;
    static void Mark(const char* name);

    // "SIGSEGV (Segmentation fault)"-like name of a signal, for reports.
    static std::string SignalName(int signal);
};

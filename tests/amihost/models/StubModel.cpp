// Stand-in models for amihost's failure paths and for each finding of
// `amihost check`, built as shared libraries, one per macro. STUB_SOUND
// (or no macro) is the sound model: a 3-tap FIR y = 0.5 x[n] + 0.3 x[n-1] + 0.2 x[n-2]
// (DC gain 1) with its state in the instance.
//   STUB_INIT_FAILS    AMI_Init returns 0 with a message          (init-defaults)
//   STUB_NO_CLOSE      no AMI_Close symbol                         (refused at loading)
//   STUB_NO_GETWAVE    no AMI_GetWave symbol                       (getwave-exists)
//   STUB_CUTS_WAVE     the filter's state is lost at every call boundary,
//                      so the output depends on how the wave is cut (block-independence)
//   STUB_SHARED_STATE  one filter state for the whole process, reset by
//                      AMI_Init: instances one after the other agree, two
//                      live ones disturb each other             (instances-independent)
//   STUB_LEAKS_SLOTS   instances come from a pool of 8 that AMI_Close never
//                      gives back: the 9th AMI_Init of the process fails (repeated-init-close)
//   STUB_NO_END_MARK   never writes the end mark -1 into clock_times (clock-end-mark)
//   STUB_EQUALISES     AMI_Init also filters the impulse it is handed with the
//                      same FIR, as a model with Init_Returns_Impulse True does
//                                                                  (init-returns-impulse)
//   STUB_PICKY_GAIN    reads (gain G) from its parameters: G < 0.5 makes
//                      AMI_Init return 0, G > 1.5 is replaced by 1 with a
//                      message saying so, G = 1.2 gives a message of no
//                      consequence, G = 1.25 makes AMI_GetWave return 0 (declared-values)
//   STUB_CLOCK_BACKWARDS  writes two clock times, the second before the
//                      first, then the end mark, in calls of 2 samples or
//                      more (clock-end-mark; a receiver run stops on it)
//   STUB_CRASHES_IN_INIT  AMI_Init executes a trap instruction: the process
//                      dies of SIGILL, a signal the sanitizers leave alone
//                      (isolated runs)
//   STUB_CRASHES_IN_GETWAVE  AMI_Init works, AMI_GetWave traps likewise
#include <cstdlib>
#include <cstring>

#define STUB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
#ifdef STUB_INIT_FAILS
char Message[] = "stub model: parameter gain is out of range";
#endif

struct State {
    double last[2] = {0.0, 0.0};
    bool failing = false; // AMI_GetWave returns 0
};

#ifdef STUB_SHARED_STATE
State Shared;
#endif
#ifdef STUB_LEAKS_SLOTS
State Pool[8];
int PoolUsed = 0; // slots handed out; never decreases
#endif

State* NewInstance()
{
#if defined(STUB_SHARED_STATE)
    Shared = State();
    return &Shared;
#elif defined(STUB_LEAKS_SLOTS)
    return PoolUsed < 8 ? &Pool[PoolUsed++] : nullptr;
#else
    return new State();
#endif
}

#ifdef STUB_PICKY_GAIN
// The value of (gain G) in `parameters`; 1 when there is none.
double Gain(const char* parameters)
{
    const char* at = parameters ? std::strstr(parameters, "(gain ") : nullptr;
    return at ? std::strtod(at + 6, nullptr) : 1.0;
}
#endif

} // namespace

STUB_EXPORT long AMI_Init(double* impulse, long rows, long, double, double, char* parameters, char**, void** handle,
                          char** message)
{
#ifdef STUB_CRASHES_IN_INIT
    __builtin_trap();
#endif
    *handle = NewInstance();
#if defined(STUB_EQUALISES)
    for (long i = rows - 1; i >= 0; --i)
        impulse[i] = 0.5 * impulse[i] + (i >= 1 ? 0.3 * impulse[i - 1] : 0.0) + (i >= 2 ? 0.2 * impulse[i - 2] : 0.0);
#else
    (void)impulse;
    (void)rows;
#endif
#if defined(STUB_PICKY_GAIN)
    static char refused[] = "stub model: a gain below 0.5 is refused";
    static char replaced[] = "stub model: gain above 1.5, the default 1 is used instead";
    static char remark[] = "stub model: gain 1.2 selected";
    const double gain = Gain(parameters);
    static_cast<State*>(*handle)->failing = gain == 1.25;
    *message = gain < 0.5 ? refused : gain > 1.5 ? replaced : gain == 1.2 ? remark : nullptr;
    return gain < 0.5 ? 0 : 1;
#else
    (void)parameters;
#endif
#if defined(STUB_INIT_FAILS)
    *message = Message;
    return 0;
#elif defined(STUB_LEAKS_SLOTS)
    if (!*handle) {
        static char full[] = "stub model: no free instance slot";
        *message = full;
        return 0;
    }
    return 1;
#else
    (void)message;
    return 1;
#endif
}

#ifndef STUB_NO_GETWAVE
STUB_EXPORT long AMI_GetWave(double* wave, long size, double* clock, char**, void* handle)
{
#ifdef STUB_CRASHES_IN_GETWAVE
    __builtin_trap();
#endif
    State& s = *static_cast<State*>(handle);
    if (s.failing)
        return 0;
#ifdef STUB_CUTS_WAVE
    s = State();
#endif
    for (long i = 0; i < size; ++i) {
        const double x = wave[i];
        wave[i] = 0.5 * x + 0.3 * s.last[0] + 0.2 * s.last[1];
        s.last[1] = s.last[0];
        s.last[0] = x;
    }
#if defined(STUB_CLOCK_BACKWARDS)
    if (size >= 2) { // clock_times holds size + 1 entries
        clock[0] = 2e-9;
        clock[1] = 1e-9;
        clock[2] = -1.0;
    } else {
        clock[0] = -1.0;
    }
#elif !defined(STUB_NO_END_MARK)
    clock[0] = -1.0;
#else
    (void)clock;
#endif
    return 1;
}
#endif

#ifndef STUB_NO_CLOSE
STUB_EXPORT long AMI_Close(void* handle)
{
#if defined(STUB_SHARED_STATE) || defined(STUB_LEAKS_SLOTS)
    (void)handle;
#else
    delete static_cast<State*>(handle);
#endif
    return 1;
}
#endif

// Stand-in models for amihost's failure paths, built as shared libraries:
//   STUB_INIT_FAILS  AMI_Init returns 0 with a message
//   STUB_NO_CLOSE    no AMI_Close symbol
//   STUB_CUTS_WAVE   a 3-tap FIR whose state is lost at every call boundary,
//                    so the output depends on how the wave is cut
#include <cstdlib>

#define STUB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
#ifdef STUB_INIT_FAILS
char Message[] = "stub model: parameter gain is out of range";
#endif

struct State {
    double last[2] = {0.0, 0.0};
};
} // namespace

STUB_EXPORT long AMI_Init(double*, long, long, double, double, char*, char**, void** handle, char** message)
{
    *handle = new State();
#ifdef STUB_INIT_FAILS
    *message = Message;
    return 0;
#else
    (void)message;
    return 1;
#endif
}

STUB_EXPORT long AMI_GetWave(double* wave, long size, double* clock, char**, void* handle)
{
    State& s = *static_cast<State*>(handle);
#ifdef STUB_CUTS_WAVE
    s = State();
#endif
    for (long i = 0; i < size; ++i) {
        const double x = wave[i];
        wave[i] = 0.5 * x + 0.3 * s.last[0] + 0.2 * s.last[1];
        s.last[1] = s.last[0];
        s.last[0] = x;
    }
    if (size > 0)
        clock[0] = -1.0;
    return 1;
}

#ifndef STUB_NO_CLOSE
STUB_EXPORT long AMI_Close(void* handle)
{
    delete static_cast<State*>(handle);
    return 1;
}
#endif

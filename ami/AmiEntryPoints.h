#pragma once

// The model's whole exported surface: the three functions of the IBIS-AMI
// standard, unmangled, with the standard's argument types (long is 32 bits on
// Windows and 64 on Linux). All return 1 for success and 0 for failure and
// never throw.

#if defined(_WIN32)
#define HALVEX_AMI_EXPORT __declspec(dllexport)
#else
#define HALVEX_AMI_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// Creates one instance and returns it through AMI_memory_handle, even on
// failure. Uses only sample_interval, bit_time (seconds), the parameter string
// (read: "Halvex_tx.de", default 15) and the handle and message pointers; the
// impulse matrix is left untouched and no output parameters are written. When
// the instance has a message, *AMI_msg points to it (owned by the instance,
// valid until the next call on it).
HALVEX_AMI_EXPORT long AMI_Init(double* impulse_matrix, long row_size, long aggressors,
                                double sample_interval, double bit_time,
                                char* AMI_parameters_in, char** AMI_parameters_out,
                                void** AMI_memory_handle, char** AMI_msg);

// Filters wave[0 .. wave_size-1] in place, continuing the signal of earlier
// calls, and writes the end mark -1.0 to clock_times[0] when the wave is not
// empty. AMI_parameters_out is never touched.
HALVEX_AMI_EXPORT long AMI_GetWave(double* wave, long wave_size, double* clock_times,
                                   char** AMI_parameters_out, void* AMI_memory);

// Finalises and destroys the instance; null is refused with 0.
HALVEX_AMI_EXPORT long AMI_Close(void* AMI_memory);
}

#include "ami/AmiEntryPoints.h"

#include <new>

#include "ami/AmiInstance.h"

namespace {

// Static texts for the cases where no instance can hold a message.
char NoMemoryText[] = "The IBIS-AMI model Halvex_tx ran out of memory in AMI_Init. ";
char NoHandleText[] =
    "AMI_Init was given no place for the memory handle; the model instance was not kept. ";

// Appends without letting an allocation failure escape: the message is lost
// then, the refusal is not.
void AppendQuietly(AmiInstance& instance, const char* piece) noexcept
{
    try {
        instance.AppendMessage(piece);
    } catch (...) {
    }
}

// Validates the handle and length given to AMI_GetWave; appends the reason of
// a refusal to the instance's text.
bool AcceptWave(AmiInstance& instance, const double* wave, long size) noexcept
{
    if (!instance.Ready) {
        AppendQuietly(instance, "AMI_GetWave refused: AMI_Init did not succeed for this instance. ");
        return false;
    }
    if (size < 0) {
        AppendQuietly(instance, "AMI_GetWave refused: the wave size is negative. ");
        return false;
    }
    if (wave == nullptr && size > 0) {
        AppendQuietly(instance, "AMI_GetWave refused: the wave pointer is null. ");
        return false;
    }
    return true;
}

} // namespace

extern "C" {

long AMI_Init(double* /*impulse_matrix*/, long /*row_size*/, long /*aggressors*/,
              double sample_interval, double bit_time, char* AMI_parameters_in,
              char** /*AMI_parameters_out*/, void** AMI_memory_handle, char** AMI_msg)
{
    AmiInstance* instance = new (std::nothrow) AmiInstance();
    if (instance == nullptr) {
        if (AMI_memory_handle != nullptr)
            *AMI_memory_handle = nullptr;
        if (AMI_msg != nullptr)
            *AMI_msg = NoMemoryText;
        return 0;
    }

    bool ok = false;
    try {
        ok = instance->Init(sample_interval, bit_time, AMI_parameters_in);
    } catch (...) {
        // Only allocation can throw here; the instance stays closable.
        instance->Ready = false;
        AppendQuietly(*instance, NoMemoryText);
        ok = false;
    }

    if (AMI_memory_handle == nullptr) {
        // Nobody could ever close the instance: release it now and say why.
        instance->Model.Finalize();
        delete instance;
        if (AMI_msg != nullptr)
            *AMI_msg = NoHandleText;
        return 0;
    }
    *AMI_memory_handle = instance;
    if (AMI_msg != nullptr && !instance->MessageText.empty())
        *AMI_msg = &instance->MessageText[0];
    return ok ? 1 : 0;
}

long AMI_GetWave(double* wave, long wave_size, double* clock_times,
                 char** /*AMI_parameters_out*/, void* AMI_memory)
{
    if (AMI_memory == nullptr)
        return 0;
    AmiInstance& instance = *static_cast<AmiInstance*>(AMI_memory);
    if (!AcceptWave(instance, wave, wave_size))
        return 0;
    try {
        return instance.GetWave(wave, static_cast<std::size_t>(wave_size), clock_times) ? 1 : 0;
    } catch (...) {
        // The clock-list resize is the only allocation; nothing was filtered yet.
        AppendQuietly(instance, "AMI_GetWave ran out of memory; the wave was left unchanged. ");
        return 0;
    }
}

long AMI_Close(void* AMI_memory)
{
    if (AMI_memory == nullptr)
        return 0;
    AmiInstance* instance = static_cast<AmiInstance*>(AMI_memory);
    const bool ok = instance->Model.Finalize();
    delete instance;
    return ok ? 1 : 0;
}

} // extern "C"

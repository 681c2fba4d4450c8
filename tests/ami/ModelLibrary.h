#pragma once

#include <dlfcn.h>

#include <cstddef>
#include <string>
#include <vector>

#include "ami/AmiInstance.h"

// The built Halvex_tx_x64.so, loaded with dlopen and driven through its three
// entry points exactly as a channel simulator drives it.
class ModelLibrary {
public:
    using InitFn = long (*)(double*, long, long, double, double, char*, char**, void**, char**);
    using GetWaveFn = long (*)(double*, long, double*, char**, void*);
    using CloseFn = long (*)(void*);

    static ModelLibrary& Get()
    {
        static ModelLibrary library;
        return library;
    }

    bool Loaded() const { return Init && GetWave && Close; }
    const std::string& Error() const { return error_; }

    InitFn Init = nullptr;
    GetWaveFn GetWave = nullptr;
    CloseFn Close = nullptr;

private:
    ModelLibrary()
    {
        handle_ = dlopen(HALVEX_MODEL_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) {
            error_ = dlerror();
            return;
        }
        Init = reinterpret_cast<InitFn>(dlsym(handle_, "AMI_Init"));
        GetWave = reinterpret_cast<GetWaveFn>(dlsym(handle_, "AMI_GetWave"));
        Close = reinterpret_cast<CloseFn>(dlsym(handle_, "AMI_Close"));
        if (!Loaded())
            error_ = "an entry point is missing";
    }
    // Never unloaded: the process ends first.
    void* handle_ = nullptr;
    std::string error_;
};

// One instance of the loaded model, closed by the destructor.
class ModelInstance {
public:
    static constexpr double DefaultBitTime = 7.8125e-11;
    static constexpr double DefaultSampleInterval = DefaultBitTime / 32.0;

    explicit ModelInstance(const std::string& parameters,
                           double sampleInterval = DefaultSampleInterval,
                           double bitTime = DefaultBitTime)
    {
        ModelLibrary& lib = ModelLibrary::Get();
        std::vector<char> text(parameters.begin(), parameters.end());
        text.push_back('\0');
        double impulse[4] = {1.0, 0.0, 0.0, 0.0};
        char* outParams = nullptr;
        Result = lib.Init(impulse, 4, 0, sampleInterval, bitTime, text.data(), &outParams,
                          &Handle, &Message);
    }
    ~ModelInstance()
    {
        if (Handle != nullptr)
            ModelLibrary::Get().Close(Handle);
    }
    ModelInstance(const ModelInstance&) = delete;
    ModelInstance& operator=(const ModelInstance&) = delete;

    // Filters `wave` in place in one call; returns AMI_GetWave's result.
    long Process(std::vector<double>& wave)
    {
        double clock[2] = {0.0, 0.0};
        return ModelLibrary::Get().GetWave(wave.data(), static_cast<long>(wave.size()), clock,
                                           nullptr, Handle);
    }

    // The instance as the model built it (same sources, same layout).
    AmiInstance& Instance() { return *static_cast<AmiInstance*>(Handle); }

    long Result = -1;
    void* Handle = nullptr;
    char* Message = nullptr;
};

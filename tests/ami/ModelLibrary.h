#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ami/AmiInstance.h"
#include "tools/amihost/host/AmiModel.h"

// The built Halvex_tx_x64.so, loaded by amihost's loader (as a channel
// simulator loads it: dlopen, then the three entry points) and driven
// through them.
class ModelLibrary {
public:
    static ModelLibrary& Get()
    {
        static ModelLibrary library;
        return library;
    }

    bool Loaded() const { return Init && GetWave && Close; }
    const std::string& Error() const { return error_; }

    AmiModel::InitFn Init = nullptr;
    AmiModel::GetWaveFn GetWave = nullptr;
    AmiModel::CloseFn Close = nullptr;

private:
    ModelLibrary()
    {
        if (!model_.Load(HALVEX_MODEL_PATH, error_))
            return;
        Init = model_.Init;
        GetWave = model_.GetWave;
        Close = model_.Close;
        if (!Loaded())
            error_ = "the model has no AMI_GetWave";
    }
    AmiModel model_; // unloaded when the process ends
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

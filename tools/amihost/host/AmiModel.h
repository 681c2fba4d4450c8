#pragma once

#include <string>

// An IBIS-AMI model library loaded the way a simulator loads it: dlopen with
// RTLD_NOW | RTLD_LOCAL (LoadLibrary on Windows), then dlsym (GetProcAddress)
// of the standard entry points. The library stays loaded until the object is
// destroyed.
class AmiModel {
public:
    using InitFn = long (*)(double*, long, long, double, double, char*, char**, void**, char**);
    using GetWaveFn = long (*)(double*, long, double*, char**, void*);
    using CloseFn = long (*)(void*);

    AmiModel() = default;
    ~AmiModel();
    AmiModel(const AmiModel&) = delete;
    AmiModel& operator=(const AmiModel&) = delete;

    // Loads `path` (a bare file name is taken relative to the working
    // directory, never searched for). AMI_Init and AMI_Close are required;
    // AMI_GetWave may be missing (statistical-only models). The file's
    // header is checked first (LibraryHeader): a truncated or foreign file
    // is refused before the loader maps it. False with one line naming the
    // file and the reason.
    bool Load(const std::string& path, std::string& error);

    InitFn Init = nullptr;
    GetWaveFn GetWave = nullptr; // null when the library has no AMI_GetWave
    CloseFn Close = nullptr;
    std::string Path;

private:
    void* handle_ = nullptr; // from dlopen; closed by the destructor
};

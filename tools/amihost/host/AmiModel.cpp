#include "tools/amihost/host/AmiModel.h"

#include "tools/amihost/host/guard/LibraryHeader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

// The loader's reason for the last failure, on one line.
std::string OneLine(std::string message)
{
    for (char& c : message)
        if (c == '\n' || c == '\r')
            c = ' ';
    while (!message.empty() && message.back() == ' ')
        message.pop_back();
    return message;
}

#if defined(_WIN32)
// LoadLibrary and GetProcAddress behind the names the POSIX loader uses, so
// Load reads the same on both systems.
void* dlopen(const char* file, int)
{
    return reinterpret_cast<void*>(LoadLibraryA(file));
}
void* dlsym(void* handle, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void dlclose(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
void dlerror() { SetLastError(0); }
constexpr int RTLD_NOW = 0;
constexpr int RTLD_LOCAL = 0;
constexpr const char* Separators = "/\\";

std::string LoaderError()
{
    const DWORD code = GetLastError();
    char text[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                   sizeof text, nullptr);
    std::string message = text[0] ? text : "error " + std::to_string(code);
    // The system's texts keep their placeholder for the file: "Bad EXE format for %1."
    for (std::size_t at = message.find("%1"); at != std::string::npos; at = message.find("%1", at))
        message.replace(at, 2, "the library");
    return OneLine(message);
}
#else
constexpr const char* Separators = "/";

std::string LoaderError()
{
    const char* text = dlerror();
    return OneLine(text ? text : "unknown loader error");
}
#endif

} // namespace

AmiModel::~AmiModel()
{
    if (handle_)
        dlclose(handle_);
}

bool AmiModel::Load(const std::string& path, std::string& error)
{
    Path = path;
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        error = path + ": cannot open the model: " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + ": the model is not a regular file";
        return false;
    }
    // A truncated or foreign file would be mapped as it is and could kill
    // the host inside the loader (a bus error past the end of the file).
    if (!LibraryHeader::CheckFile(path, error))
        return false;
    // dlopen searches the library path for names without a slash; a
    // simulator loads the file it was given.
    const std::string file = path.find_first_of(Separators) == std::string::npos ? "./" + path : path;
    dlerror();
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        error = path + ": dlopen failed: " + LoaderError();
        return false;
    }
    struct Entry {
        const char* name;
        void** target;
        bool required;
    } entries[] = {{"AMI_Init", reinterpret_cast<void**>(&Init), true},
                   {"AMI_GetWave", reinterpret_cast<void**>(&GetWave), false},
                   {"AMI_Close", reinterpret_cast<void**>(&Close), true}};
    for (Entry& entry : entries) {
        dlerror();
        *entry.target = dlsym(handle_, entry.name);
        if (!*entry.target && entry.required) {
            error = path + ": the model has no symbol " + entry.name + " (dlsym: " + LoaderError() + ")";
            dlclose(handle_);
            handle_ = nullptr;
            Init = nullptr;
            GetWave = nullptr;
            Close = nullptr;
            return false;
        }
    }
    return true;
}

#include "tools/amihost/AmiModel.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace {

std::string LoaderError()
{
    const char* text = dlerror();
    std::string message = text ? text : "unknown loader error";
    for (char& c : message)
        if (c == '\n')
            c = ' ';
    return message;
}

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
    // dlopen searches the library path for names without a slash; a
    // simulator loads the file it was given.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
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

#include "tools/amihost/signal/TextFile.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

bool TextFile::Read(const std::string& path, std::size_t maxBytes, std::string& text, std::string& error)
{
    text.clear();
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        error = path + ": cannot read: " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error = path + ": cannot read: it is a directory";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = path + ": cannot read: " + std::strerror(errno);
        return false;
    }
    char buffer[65536];
    bool ok = true;
    while (true) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
        if (n > 0) {
            if (text.size() + n > maxBytes) {
                error = path + ": larger than " + std::to_string(maxBytes) + " bytes";
                ok = false;
                break;
            }
            text.append(buffer, n);
        }
        if (n < sizeof buffer) {
            if (std::ferror(file)) {
                error = path + ": read error: " + std::strerror(errno);
                ok = false;
            }
            break;
        }
    }
    std::fclose(file);
    if (!ok)
        text.clear();
    return ok;
}

bool TextFile::Write(const std::string& path, const std::string& text, std::string& error)
{
    const std::string partial = path + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file) {
        error = path + ": cannot write: " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int savedErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = path + ": cannot write: " + std::strerror(written ? errno : savedErrno);
        std::remove(partial.c_str());
        return false;
    }
    // std::filesystem::rename replaces an existing file on every platform;
    // C's rename does not on Windows, where a second run into the same
    // folder would fail on its first file.
    std::error_code code;
    std::filesystem::rename(partial, path, code);
    if (code) {
        error = path + ": cannot write: " + code.message();
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

bool TextFile::HasExtension(const std::string& path, const char* extension)
{
    const std::size_t n = std::strlen(extension);
    if (path.size() <= n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - n + i])) != extension[i])
            return false;
    return true;
}

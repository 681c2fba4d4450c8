#include "tools/amihost/signal/OutputFolder.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "tools/amihost/signal/TextFile.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t MaxManifestBytes = 1 << 20;

bool PlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name != OutputFolder::ManifestName &&
           name.find_first_of("/\\:") == std::string::npos;
}

std::string ManifestText(const std::vector<std::string>& names)
{
    std::string text = "# The files amihost wrote in this folder; the next amihost command that writes here\n"
                       "# removes those it does not write again, and no other file.\n";
    for (const std::string& name : names)
        text += name + "\n";
    return text;
}

// The names of the folder's manifest; false when it has none.
bool ReadManifest(const std::string& folder, std::vector<std::string>& names, std::string& error)
{
    const std::string path = folder + "/" + OutputFolder::ManifestName;
    std::error_code code;
    if (!fs::exists(fs::symlink_status(path, code)))
        return false;
    std::string text;
    if (!TextFile::Read(path, MaxManifestBytes, text, error))
        return false;
    names = OutputFolder::Listed(text);
    return true;
}

} // namespace

std::vector<std::string> OutputFolder::Listed(const std::string& manifest)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < manifest.size()) {
        std::size_t end = manifest.find('\n', start);
        if (end == std::string::npos)
            end = manifest.size();
        std::string line = manifest.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '#' && PlainName(line) &&
            std::find(names.begin(), names.end(), line) == names.end())
            names.push_back(line);
        start = end + 1;
    }
    return names;
}

bool OutputFolder::Usable(const std::string& folder, Others others, std::string& error)
{
    std::error_code code;
    const fs::file_status status = fs::status(folder, code);
    if (!fs::exists(status))
        return true;
    if (!fs::is_directory(status)) {
        error = folder + ": the output folder is a file";
        return false;
    }
    std::vector<std::string> listed;
    std::string readError;
    if (ReadManifest(folder, listed, readError))
        return true;
    if (!readError.empty()) {
        error = readError;
        return false;
    }
    if (others == Others::Keep)
        return true;
    const fs::directory_iterator first(folder, code);
    if (code) {
        error = folder + ": cannot read the output folder: " + code.message();
        return false;
    }
    if (first == fs::directory_iterator())
        return true;
    error = folder + ": the output folder holds files that amihost did not write (it has no " +
            std::string(ManifestName) + "); name a new or empty folder, or give --reuse-folder to write beside them";
    return false;
}

bool OutputFolder::Write(const std::string& folder, const std::vector<File>& files, Others others,
                         std::string& error)
{
    if (!Usable(folder, others, error))
        return false;
    std::error_code code;
    fs::create_directories(folder, code);
    if (code || !fs::is_directory(folder, code)) {
        error = folder + ": cannot create the output folder" + (code ? ": " + code.message() : std::string());
        return false;
    }
    std::vector<std::string> old;
    std::string readError;
    if (!ReadManifest(folder, old, readError) && !readError.empty()) {
        error = readError;
        return false;
    }
    std::vector<std::string> written;
    for (const File& file : files) {
        if (!PlainName(file.first)) {
            error = folder + "/" + file.first + ": not a plain file name";
            return false;
        }
        written.push_back(file.first);
    }
    std::vector<std::string> both = old;
    for (const std::string& name : written)
        if (std::find(both.begin(), both.end(), name) == both.end())
            both.push_back(name);
    const std::string manifest = folder + "/" + ManifestName;
    if (!TextFile::Write(manifest, ManifestText(both), error))
        return false;
    for (const File& file : files)
        if (!TextFile::Write(folder + "/" + file.first, file.second, error))
            return false;
    const std::set<std::string> now(written.begin(), written.end());
    std::vector<std::string> kept = written; // and any stale file that would not go
    std::string removeError;
    for (const std::string& name : old) {
        if (now.count(name))
            continue;
        const std::string path = folder + "/" + name;
        const fs::file_status status = fs::symlink_status(path, code);
        // A folder of that name is not one amihost wrote: never removed.
        if (!fs::exists(status) || fs::is_directory(status))
            continue;
        if (!fs::remove(path, code) && code) {
            kept.push_back(name);
            if (removeError.empty())
                removeError = path + ": cannot remove this file of the previous run: " + code.message();
        }
    }
    if (!TextFile::Write(manifest, ManifestText(kept), error))
        return false;
    error = removeError;
    return removeError.empty();
}

#include "tools/amihost/report/CommandReport.h"

#include <filesystem>

#include "tools/amihost/signal/TextFile.h"

bool CommandReport::Write(const std::string& folder, std::string& error) const
{
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (code || !std::filesystem::is_directory(folder, code)) {
        error = folder + ": cannot create the output folder" + (code ? ": " + code.message() : std::string());
        return false;
    }
    for (const File& file : Files)
        if (!TextFile::Write(folder + "/" + file.first, file.second, error))
            return false;
    return true;
}

#pragma once

#include <string>
#include <sys/stat.h>

// Files the world made (vendors' IBIS files, measured Touchstone files) live
// beside the repository in HALVEX_SHARED_DATA, with their origins in each
// folder's SOURCES.tsv; they are never copied into the project. A test that
// reads them starts with
//     const std::string dir = SharedDataDir("touchstone");
//     if (dir.empty()) GTEST_SKIP() << SharedDataMissing("touchstone");
// so that a checkout without them still passes, and says why it skipped.
inline std::string SharedDataDir(const std::string& folder)
{
    const std::string dir = std::string(HALVEX_SHARED_DATA) + "/" + folder;
    struct stat info {};
    if (stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
    return dir;
}

inline std::string SharedDataMissing(const std::string& folder)
{
    return "shared data folder '" + folder + "' is absent: tests on real files skipped";
}

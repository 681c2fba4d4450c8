#pragma once

#include <fstream>
#include <string>

#include "ibis/IbisFile.h"

// Files for the IBIS tests: the kit's own .ibs (model/) and copies written
// under the build folder. Reading goes through the library's own reader of
// whole files, so that its refusals are tested too.
inline std::string ReadTestFile(const std::string& path)
{
    std::string text, error;
    IbisFile::ReadText(path, IbisFile::MaxBytes, text, error);
    return text;
}

// Writes `text` to `path` as it is (binary: CR and NUL bytes kept).
inline bool WriteTestFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

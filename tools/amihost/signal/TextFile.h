#pragma once

#include <cstddef>
#include <string>

// Whole-file input and output for the tool. Writes go to "PATH.partial" and
// are renamed onto PATH only when complete, so an interrupted or failed run
// never leaves a truncated file under the final name.
class TextFile {
public:
    // Reads at most `maxBytes`; a larger file, a missing or unreadable one is
    // refused with one line "PATH: reason".
    static bool Read(const std::string& path, std::size_t maxBytes, std::string& text, std::string& error);

    // Writes `text` to `path` through the partial file.
    static bool Write(const std::string& path, const std::string& text, std::string& error);

    // True when `path` ends in `extension` (".ibs", in lower case), in any
    // case: kits come from Windows too.
    static bool HasExtension(const std::string& path, const char* extension);
};

#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/amihost/signal/OutputFolder.h"

// What a command reports, composed before anything is written: the files
// for the output folder, the text for standard output and the warnings for
// standard error (each also shown in the text where the command shows it).
// The command writes the files first, then prints the text, then the
// warnings; a file that cannot be written stops it before any text.
struct CommandReport {
    using File = std::pair<std::string, std::string>; // (name in the folder, contents)

    std::vector<File> Files; // written in this order
    std::string Text;
    std::vector<std::string> Warnings; // one line each, without "warning:"

    // Creates `folder` if needed and writes every file into it, each through
    // a partial file renamed when complete, and removes the files of the
    // command that wrote there before (OutputFolder: a folder of files that
    // amihost did not write is refused unless `others` is Keep); false with
    // the reason at the first failure.
    bool Write(const std::string& folder, OutputFolder::Others others, std::string& error) const;
};

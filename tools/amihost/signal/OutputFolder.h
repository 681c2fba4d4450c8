#pragma once

#include <string>
#include <utility>
#include <vector>

// A command's output folder, which holds exactly the files of the command
// that last wrote there. Its manifest (ManifestName, one file name a line)
// lists the files that amihost wrote; the next command that writes there
// removes those it does not write again and never touches any other file.
// A folder that holds anything and has no manifest is someone else's: it is
// refused unless the caller says to use it (Others::Keep), and then its
// files stay and only amihost's are listed.
//
// Write keeps the manifest a superset of amihost's files at every moment
// (it lists old and new names before any file is written, and only the new
// ones once the old are gone), so an interrupted command leaves nothing
// that the next one would not recognise as its own.
class OutputFolder {
public:
    static constexpr const char* ManifestName = ".amihost-manifest";

    // What to do with a folder that holds files and no manifest.
    enum class Others { Refuse, Keep };

    using File = std::pair<std::string, std::string>; // (plain name in the folder, contents)

    // Whether a command may write into `folder`: it does not exist, is empty,
    // has a manifest, or `others` is Keep. False with one line otherwise.
    static bool Usable(const std::string& folder, Others others, std::string& error);

    // Creates `folder` if needed and writes `files` (plain names, without
    // "/" or "\\"), each through a partial file renamed when complete; then
    // removes the files of the old manifest that are not among them. False
    // with one line at the first failure; a refused folder is left as it was.
    static bool Write(const std::string& folder, const std::vector<File>& files, Others others, std::string& error);

    // The names a manifest's text lists: its plain file names, in order,
    // without comments, blank lines, the manifest itself and anything that
    // names another folder ("..", "a/b"), which a damaged or hand-edited
    // manifest must not make amihost remove.
    static std::vector<std::string> Listed(const std::string& manifest);
};

#include "ibis/IbisFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ibis/reader/IbisReader.h"
#include "ibis/reader/IbisSyntax.h"

namespace {

#if defined(_WIN32)
const char PathSeparators[] = "/\\";
#else
const char PathSeparators[] = "/";
#endif

bool IsAbsolute(const std::string& file)
{
    if (!file.empty() && file[0] == '/')
        return true;
#if defined(_WIN32)
    if (!file.empty() && file[0] == '\\')
        return true;
    if (file.size() >= 2 && file[1] == ':')
        return true; // a drive letter
#endif
    return false;
}

// "a, b, c" of at most ten names, then how many more.
template <typename Items, typename NameOf>
std::string NameList(const Items& items, NameOf nameOf)
{
    std::string list;
    std::size_t count = 0;
    for (const auto& item : items) {
        if (++count > 10)
            continue;
        list += (list.empty() ? "" : ", ") + IbisSyntax::Shown(nameOf(item));
    }
    if (count > 10)
        list += " and " + std::to_string(count - 10) + " more";
    return list;
}

} // namespace

bool IbisFile::Read(const std::string& text, const std::string& path, IbisFile& file, std::string& error)
{
    file = IbisFile();
    file.Path = path;
    const std::string lower = IbisSyntax::LowerCase(path);
    const auto endsWith = [&](const char* suffix) {
        return lower.size() >= 4 && lower.compare(lower.size() - 4, 4, suffix) == 0;
    };
    file.Kind = endsWith(".pkg") ? FileKind::Pkg : endsWith(".ebd") ? FileKind::Ebd : FileKind::Ibs;
    IbisReader reader(path, file);
    if (reader.Read(text, error))
        return true;
    file = IbisFile();
    return false;
}

bool IbisFile::ReadFile(const std::string& path, IbisFile& file, std::string& error)
{
    std::string text;
    if (!ReadText(path, MaxBytes, text, error)) {
        file = IbisFile();
        return false;
    }
    return Read(text, path, file, error);
}

std::vector<const IbisModel*> IbisFile::AmiModels() const
{
    std::vector<const IbisModel*> models;
    for (const IbisModel& model : Models)
        if (model.Algorithmic.Line)
            models.push_back(&model);
    return models;
}

const IbisModel* IbisFile::FindModel(const std::string& name) const
{
    for (const IbisModel& model : Models)
        if (model.Name == name)
            return &model;
    return nullptr;
}

const IbisModel* IbisFile::SelectAmiModel(const std::string& name, std::string& error) const
{
    const std::vector<const IbisModel*> ami = AmiModels();
    const std::string amiNames = NameList(ami, [](const IbisModel* m) { return m->Name; });
    if (name.empty()) {
        if (ami.size() == 1)
            return ami[0];
        error = Path + ": " +
                (ami.empty() ? "no [Model] has an [Algorithmic Model]"
                             : std::to_string(ami.size()) + " models have an [Algorithmic Model] (" + amiNames +
                                   "): name the one to run");
        return nullptr;
    }
    const IbisModel* model = FindModel(name);
    if (model && model->Algorithmic.Line)
        return model;
    if (model) {
        error = Path + ":" + std::to_string(model->Line) + ": [Model] " + IbisSyntax::Shown(name) +
                " has no [Algorithmic Model]";
        return nullptr;
    }
    error = Path + ": no [Model] " + IbisSyntax::Shown(name);
    for (const IbisModelSelector& selector : ModelSelectors)
        if (selector.Name == name)
            error += " (line " + std::to_string(selector.Line) + " names a [Model Selector] of " +
                     NameList(selector.Models, [](const IbisModelSelector::Entry& e) { return e.Model; }) + ")";
    error += ami.empty() ? "; no model has an [Algorithmic Model]" : "; models with an [Algorithmic Model]: " + amiNames;
    return nullptr;
}

bool IbisFile::FindExecutable(const IbisModel& model, const IbisPlatform& platform, IbisExecutableChoice& choice,
                              std::string& error) const
{
    choice = IbisExecutableChoice();
    const std::string where = Path + ":" + std::to_string(model.Algorithmic.Line ? model.Algorithmic.Line : model.Line) +
                              ": [Model] " + IbisSyntax::Shown(model.Name);
    if (!model.Algorithmic.Line) {
        error = where + " has no [Algorithmic Model]";
        return false;
    }
    // Executable_Tx and Executable_Rx lines serve other flows; a host runs Executable.
    std::vector<const IbisExecutable*> lines;
    for (const IbisExecutable& executable : model.Algorithmic.Executables)
        if (IbisSyntax::LowerCase(executable.Kind) == "executable")
            lines.push_back(&executable);
    for (const IbisExecutable* line : lines)
        if (!choice.Executable && platform.Prefers(IbisPlatform::Parse(line->Platform)))
            choice.Executable = line;
    for (const IbisExecutable* line : lines)
        if (!choice.Executable && platform.Runs(IbisPlatform::Parse(line->Platform)))
            choice.Executable = line;
    if (!choice.Executable) {
        error = where + " has no Executable line for " + platform.Describe() +
                (lines.empty() ? std::string(" (it has none)")
                               : " (it has " + NameList(lines, [](const IbisExecutable* e) { return e->Platform; }) +
                                     ")");
        return false;
    }
    choice.Library = Resolve(choice.Executable->Library);
    choice.ParameterFile = Resolve(choice.Executable->ParameterFile);
    return true;
}

std::string IbisFile::Resolve(const std::string& file) const
{
    if (IsAbsolute(file))
        return file;
    const std::size_t slash = Path.find_last_of(PathSeparators);
    return slash == std::string::npos ? file : Path.substr(0, slash + 1) + file;
}

bool IbisFile::ReadText(const std::string& path, std::size_t maxBytes, std::string& text, std::string& error)
{
    text.clear();
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        error = path + ": cannot read: " + (S_ISDIR(info.st_mode) ? "it is a directory" : std::strerror(errno));
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = path + ": cannot read: " + std::strerror(errno);
        return false;
    }
    char buffer[65536];
    bool ok = true;
    while (ok) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
        if (text.size() + n > maxBytes) {
            error = path + ": larger than " + std::to_string(maxBytes) + " bytes";
            ok = false;
            break;
        }
        text.append(buffer, n);
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

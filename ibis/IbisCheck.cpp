#include "ibis/IbisCheck.h"

#include <sys/stat.h>

#include "ibis/IbisRules.h"

namespace {

bool IsFile(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The reader's "PATH:LINE: what" (or "PATH: what") as a finding.
Finding ReadError(const std::string& path, const std::string& error)
{
    Finding f{Finding::Error, path, error, "read"};
    if (error.compare(0, path.size(), path) == 0 && error.size() > path.size() + 1 && error[path.size()] == ':') {
        const std::size_t colon = error.find(": ", path.size() + 1);
        const std::string line = error.substr(path.size() + 1, colon == std::string::npos ? 0 : colon - path.size() - 1);
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos)
            f.Where = path + ":" + line;
        f.What = error.substr(colon == std::string::npos ? path.size() + 2 : colon + 2);
    }
    return f;
}

} // namespace

IbisCheck::Result IbisCheck::File(const std::string& path)
{
    Result result;
    std::string error;
    result.Read = IbisFile::ReadFile(path, result.File, error);
    if (!result.Read) {
        result.Findings.push_back(ReadError(path, error));
        return result;
    }
    result.Findings = IbisRules::Check(result.File);
    for (Finding& f : AmiFiles(result.File))
        result.Findings.push_back(std::move(f));
    return result;
}

std::vector<Finding> IbisCheck::AmiFiles(const IbisFile& file)
{
    std::vector<Finding> findings;
    if (file.Kind != IbisFile::FileKind::Ibs)
        return findings;
    const std::vector<const IbisModel*> models = file.AmiModels();
    if (models.empty()) {
        findings.push_back({Finding::Note, file.Path,
                            "no [Model] has an [Algorithmic Model]: a plain IBIS file, checked by the IBIS rules alone",
                            "ami-model"});
        return findings;
    }
    for (const IbisModel* model : models)
        for (const IbisExecutable& e : model->Algorithmic.Executables) {
            const std::pair<const char*, const std::string*> named[] = {{"library", &e.Library},
                                                                        {"parameter file", &e.ParameterFile}};
            for (const auto& [kind, name] : named) {
                const std::string resolved = file.Resolve(*name);
                if (!IsFile(resolved))
                    findings.push_back({Finding::Error, file.Path + ":" + std::to_string(e.Line),
                                        e.Platform + " " + kind + " " + *name + " is missing (no file " + resolved +
                                            ")",
                                        "ami-files"});
            }
        }
    return findings;
}

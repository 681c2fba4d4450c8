#include "tools/amihost/check/KitCheck.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "tools/amihost/host/Kit.h"
#include "ibis/IbisFile.h"
#include "ibis/IbisRules.h"
#include "ibis/reader/IbisSyntax.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

using Level = Finding::Level;

// The .ami files read, by path; null for one that does not read.
using AmiFiles = std::map<std::string, std::unique_ptr<AmiFile>>;

bool IsFile(const std::string& path)
{
    std::error_code code;
    return std::filesystem::is_regular_file(path, code);
}

std::string Plural(std::size_t count, const std::string& word)
{
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

void ReadAmiFiles(const std::vector<std::string>& paths, AmiFiles& files, KitCheckItem& item)
{
    std::size_t failed = 0;
    for (const std::string& path : paths) {
        if (files.count(path))
            continue;
        auto file = std::make_unique<AmiFile>();
        std::string text;
        std::string error;
        if (!TextFile::Read(path, AmiFile::MaxBytes, text, error) || !AmiFile::Read(text, path, *file, error)) {
            item.Add(Level::Error, "", error);
            file.reset();
            ++failed;
        }
        files[path] = std::move(file);
    }
    if (files.size() == 1 && failed == 0) {
        const AmiFile& ami = *files.begin()->second;
        std::string sent;
        for (const AmiParameterDefinition& d : ami.Parameters)
            sent += (sent.empty() ? " " : ", ") + d.DottedPath();
        const std::size_t count = ami.Parameters.size();
        item.Summary = ami.FileName + " reads: root " + ami.RootName + ", sends " +
                       (count ? Plural(count, "parameter") + ":" + sent : std::string("no parameter"));
    } else {
        item.Summary = failed ? std::to_string(failed) + " of " + Plural(files.size(), ".ami file") + " do not read"
                              : Plural(files.size(), ".ami file") + " read";
    }
}

std::vector<const IbisModel*> SelectModels(const IbisFile& file, const std::string& name, KitCheckItem& item,
                                           std::string& usage)
{
    std::string error;
    if (!name.empty()) {
        const IbisModel* model = file.SelectAmiModel(name, error);
        if (!model) {
            usage = "--model: " + error;
            return {};
        }
        item.Summary = "[Model] " + name + ", as --model names it";
        return {model};
    }
    const std::vector<const IbisModel*> models = file.AmiModels();
    std::string names;
    for (const IbisModel* model : models)
        names += (names.empty() ? ": " : ", ") + IbisSyntax::Shown(model->Name);
    item.Summary = Plural(models.size(), "model") + " with an [Algorithmic Model]" + names;
    return models;
}

void ExecutableFiles(const IbisFile& file, const std::vector<const IbisModel*>& models, KitCheckItem& item)
{
    std::size_t lines = 0;
    std::size_t files = 0;
    std::size_t missing = 0;
    for (const IbisModel* model : models)
        for (const IbisExecutable& e : model->Algorithmic.Executables) {
            ++lines;
            const std::pair<const char*, const std::string*> named[] = {{"library", &e.Library},
                                                                        {"parameter file", &e.ParameterFile}};
            for (const auto& [kind, name] : named) {
                ++files;
                const std::string resolved = file.Resolve(*name);
                if (IsFile(resolved))
                    continue;
                ++missing;
                item.Add(Level::Error, file.Path + ":" + std::to_string(e.Line),
                         e.Platform + " " + kind + " " + *name + " is missing (no file " + resolved + ")");
            }
        }
    item.Summary = missing ? std::to_string(missing) + " of " + Plural(files, "file") + " missing"
                           : Plural(lines, "Executable line") + ", their " + Plural(files, "file") + " present";
}

// The parameter files the models' lines name that exist, each once.
std::vector<std::string> ParameterFiles(const IbisFile& file, const std::vector<const IbisModel*>& models)
{
    std::vector<std::string> paths;
    std::set<std::string> seen;
    for (const IbisModel* model : models)
        for (const IbisExecutable& e : model->Algorithmic.Executables) {
            const std::string path = file.Resolve(e.ParameterFile);
            if (IsFile(path) && seen.insert(path).second)
                paths.push_back(path);
        }
    return paths;
}

void CheckModel(const IbisFile& file, const IbisModel& model, const IbisPlatform& platform, const AmiFiles& amis,
                const ModelCheckConfig& config, KitCheckReport& report)
{
    IbisExecutableChoice choice;
    KitCheckItem& item = report.Run("executable", [&](KitCheckItem& it) {
        std::string error;
        if (!Kit::Executable(file, model, platform, choice, error))
            it.Add(Level::Error, "", error);
        else
            it.Summary = choice.Executable->Platform + " (line " + std::to_string(choice.Executable->Line) + "): " +
                         choice.Library + " with " + choice.ParameterFile;
    });
    item.Heading = "[Model] " + IbisSyntax::Shown(model.Name);
    if (!choice.Executable)
        return;
    const auto ami = amis.find(choice.ParameterFile);
    if (ami == amis.end() || !ami->second)
        report.Skip("model-checks", std::string("not run: its .ami file ") +
                                        (ami == amis.end() ? "is missing" : "does not read"));
    else if (!IsFile(choice.Library))
        report.Skip("model-checks", "not run: its library is missing");
    else
        ModelCheck::Run(choice.Library, *ami->second, config, report);
}

// The lines of `model`'s section: from its [Model] line up to the next
// section of the file ([Model], [Model Selector], [Submodel], ...) or [End].
std::pair<int, int> SectionOf(const IbisFile& file, const IbisModel& model)
{
    int next = file.EndLine;
    for (const IbisKeywordUse& use : file.Keywords)
        if (use.Line > model.Line && use.Line < next &&
            (use.Name == "model" || use.Name == "model selector" || use.Name == "submodel" ||
             use.Name == "component" || use.Name == "define package model"))
            next = use.Line;
    return {model.Line, next};
}

// The line a finding of `file` is at; 0 for the file as a whole.
int LineOf(const IbisFile& file, const Finding& finding)
{
    const std::string prefix = file.Path + ":";
    if (finding.Where.compare(0, prefix.size(), prefix) != 0)
        return 0;
    return std::atoi(finding.Where.c_str() + prefix.size());
}

// The IBIS part of a check from an .ibs file: the IBIS rules, and what a
// file or model without an [Algorithmic Model] gets instead of the AMI
// checks. A plain file (no model has an [Algorithmic Model], no --model) is
// checked by its IBIS rules alone, with a Note that there is no AMI model,
// and passes when they pass. --model naming a [Model] without an
// [Algorithmic Model] runs the rules of the file but those of the other
// models, with the same Note. Returns true when the AMI checks are to run.
bool IbisRulesStep(const IbisFile& file, const std::string& modelName, KitCheckReport& report)
{
    const IbisModel* plain = nullptr;
    if (!modelName.empty()) {
        const IbisModel* named = file.FindModel(modelName);
        plain = named && !named->Algorithmic.Line ? named : nullptr;
    }
    const bool noAmi = modelName.empty() && file.AmiModels().empty();
    report.Run("ibis-rules", [&](KitCheckItem& item) {
        std::vector<Finding> findings = IbisRules::Check(file);
        if (plain) {
            std::vector<std::pair<int, int>> others;
            for (const IbisModel& m : file.Models)
                if (&m != plain)
                    others.push_back(SectionOf(file, m));
            for (Finding& f : findings) {
                const int line = LineOf(file, f);
                bool elsewhere = false;
                for (const auto& [from, to] : others)
                    elsewhere = elsewhere || (line >= from && line < to);
                if (!elsewhere)
                    item.Findings.push_back(std::move(f));
            }
        } else {
            item.Findings = std::move(findings);
        }
        item.Summary = std::string("the rules of IBIS ") + IbisSyntax::Shown(file.IbisVer.Text) +
                       (plain ? " for [Model] " + IbisSyntax::Shown(plain->Name) : std::string()) +
                       " (lines of up to " + std::to_string(IbisRules::LineLimit(file)) + " characters)";
    });
    if (!plain && !noAmi)
        return true;
    report.Run("algorithmic-models", [&](KitCheckItem& item) {
        const std::string what = plain ? "[Model] " + IbisSyntax::Shown(plain->Name) + " has"
                                       : std::string("no [Model] has");
        item.Add(Level::Note, plain ? file.Path + ":" + std::to_string(plain->Line) : file.Path,
                 what + (plain ? " no" : " an") +
                     " [Algorithmic Model]: no AMI model to run; checked by the IBIS rules alone");
        item.Summary = plain ? "[Model] " + IbisSyntax::Shown(plain->Name) + ", without an [Algorithmic Model]"
                             : "no model with an [Algorithmic Model]";
    });
    return false;
}

} // namespace

KitCheckReport KitCheck::FromIbis(const std::string& path, const std::string& modelName,
                                  const IbisPlatform& platform, const ModelCheckConfig& config)
{
    KitCheckReport report;
    IbisFile file;
    std::string error;
    const bool read = IbisFile::ReadFile(path, file, error);
    report.Run("ibs-file", [&](KitCheckItem& item) {
        if (!read)
            item.Add(Level::Error, "", error);
        else
            item.Summary = path + ": IBIS " + IbisSyntax::Shown(file.IbisVer.Text) + ", " +
                           Plural(file.Components.size(), "component") + ", " + Plural(file.Models.size(), "model");
    });
    if (!read)
        return report;
    if (!IbisRulesStep(file, modelName, report))
        return report;
    std::vector<const IbisModel*> models;
    report.Run("algorithmic-models",
               [&](KitCheckItem& item) { models = SelectModels(file, modelName, item, report.UsageError); });
    if (!report.UsageError.empty())
        return report;
    report.Run("executable-files", [&](KitCheckItem& item) { ExecutableFiles(file, models, item); });
    AmiFiles amis;
    report.Run("ami-files", [&](KitCheckItem& item) { ReadAmiFiles(ParameterFiles(file, models), amis, item); });
    for (const IbisModel* model : models) {
        CheckModel(file, *model, platform, amis, config, report);
        if (!report.UsageError.empty())
            break;
    }
    return report;
}

KitCheckReport KitCheck::FromLibrary(const std::string& library, const std::string& ami,
                                     const ModelCheckConfig& config)
{
    KitCheckReport report;
    report.Run("files", [&](KitCheckItem& item) {
        for (const std::string* path : {&library, &ami})
            if (!IsFile(*path))
                item.Add(Level::Error, "", "no file " + *path);
        item.Summary = library + " with " + ami;
    });
    AmiFiles amis;
    if (IsFile(ami))
        report.Run("ami-files", [&](KitCheckItem& item) { ReadAmiFiles({ami}, amis, item); });
    if (!IsFile(library) || !amis[ami])
        report.Skip("model-checks", "not run: the library or the .ami file is missing or does not read");
    else
        ModelCheck::Run(library, *amis[ami], config, report);
    return report;
}

ModelCheckConfig KitCheck::Config(const HostRequest& request)
{
    ModelCheckConfig config;
    config.BitTime = request.BitTime;
    config.SamplesPerBit = request.SamplesPerBit;
    config.Bits = request.Bits;
    config.BlockSize = request.BlockSize;
    config.Seed = request.Seed;
    config.Settings = request.Settings;
    return config;
}

KitCheckReport KitCheck::Run(const HostRequest& request)
{
    return request.IbisPath.empty()
               ? FromLibrary(request.ModelPath, request.AmiPath, Config(request))
               : FromIbis(request.IbisPath, request.ModelName, IbisPlatform::Host(), Config(request));
}

#include "tools/amihost/host/Kit.h"

#include "ibis/reader/IbisSyntax.h"

namespace {

// A receiving Model_type: Input..., I/O... (IBIS writes them in any case).
bool Receives(const IbisModel& model)
{
    const std::string type = IbisSyntax::LowerCase(model.ModelType.Text);
    return type.rfind("input", 0) == 0 || type.rfind("i/o", 0) == 0;
}

// The [Model] whose I-V tables are wanted: the one called `name`, else the
// file's only [Model], else its only AMI model.
const IbisModel* AnyModel(const IbisFile& file, const std::string& name, std::string& error)
{
    if (!name.empty()) {
        if (const IbisModel* model = file.FindModel(name))
            return model;
        error = file.Path + ": no [Model] " + name;
        return nullptr;
    }
    if (file.Models.size() == 1)
        return &file.Models[0];
    const IbisModel* ami = file.SelectAmiModel("", error);
    if (!ami)
        error = file.Path + (file.Models.empty() ? ": no [Model]"
                                                 : ": " + std::to_string(file.Models.size()) +
                                                       " models and no single one with an [Algorithmic Model]: name "
                                                       "the one with --model");
    return ami;
}

} // namespace

bool Kit::Open(const std::string& path, const std::string& name, Want want, std::string& error, ExitStatus& status)
{
    status = ExitFailure;
    Model = nullptr;
    Line = IbisExecutableChoice();
    if (!IbisFile::ReadFile(path, File, error))
        return false;
    Model = want == AnyModel ? ::AnyModel(File, name, error) : File.SelectAmiModel(name, error);
    if (!Model) {
        status = name.empty() ? ExitFailure : ExitUsage;
        return false;
    }
    if (want == ReceiverModel && !Receives(*Model)) {
        const int line = Model->ModelType.Line ? Model->ModelType.Line : Model->Line;
        error = path + ":" + std::to_string(line) + ": [Model] " + IbisSyntax::Shown(Model->Name) +
                " is Model_type " + IbisSyntax::Shown(Model->ModelType.Text) + ", not a receiver (Input or I/O)";
        return false;
    }
    return want == AnyModel || Executable(File, *Model, IbisPlatform::Host(), Line, error);
}

bool Kit::Executable(const IbisFile& file, const IbisModel& model, const IbisPlatform& platform,
                     IbisExecutableChoice& choice, std::string& error)
{
    return file.FindExecutable(model, platform, choice, error);
}

std::string Kit::Description() const
{
    if (!Model || !Line.Executable)
        return std::string();
    return File.Path + ": [Model] " + Model->Name + ", Executable " + Line.Executable->Platform + " (line " +
           std::to_string(Line.Executable->Line) + ")";
}

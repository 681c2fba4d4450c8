#include "tools/amihost/host/Receiver.h"

#include "ibis/IbisFile.h"
#include "ibis/reader/IbisSyntax.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

// A receiving Model_type: Input..., I/O... (IBIS writes them in any case).
bool Receives(const IbisModel& model)
{
    const std::string type = IbisSyntax::LowerCase(model.ModelType.Text);
    return type.rfind("input", 0) == 0 || type.rfind("i/o", 0) == 0;
}

} // namespace

bool Receiver::IsIbis(const std::string& path)
{
    return TextFile::HasExtension(path, ".ibs");
}

bool Receiver::Read(const std::string& model, const std::string& ami, const std::string& ibisModel,
                    std::string& error)
{
    LibraryPath = model;
    AmiPath = ami;
    if (IsIbis(model)) {
        IbisFile file;
        if (!IbisFile::ReadFile(model, file, error))
            return false;
        const IbisModel* chosen = file.SelectAmiModel(ibisModel, error);
        if (!chosen)
            return false;
        if (!Receives(*chosen)) {
            const int line = chosen->ModelType.Line ? chosen->ModelType.Line : chosen->Line;
            error = model + ":" + std::to_string(line) + ": [Model] " + IbisSyntax::Shown(chosen->Name) +
                    " is Model_type " + IbisSyntax::Shown(chosen->ModelType.Text) +
                    ", not a receiver (Input or I/O)";
            return false;
        }
        IbisExecutableChoice choice;
        if (!file.FindExecutable(*chosen, IbisPlatform::Host(), choice, error))
            return false;
        LibraryPath = choice.Library;
        AmiPath = choice.ParameterFile;
        Origin = "[Model] " + chosen->Name + " of " + model;
    }
    std::string text;
    return TextFile::Read(AmiPath, AmiFile::MaxBytes, text, error) && AmiFile::Read(text, AmiPath, Ami, error);
}

bool Receiver::SetParameters(const std::vector<ParameterString::Setting>& settings, std::string& error)
{
    return ParameterString::Build(Ami, settings, Parameters, error);
}

bool Receiver::Load(std::string& error)
{
    if (!Library.Load(LibraryPath, error))
        return false;
    if (Ami.GetWaveExists == 1 && !Library.GetWave) {
        error = LibraryPath + ": the library has no AMI_GetWave, which " + AmiPath + " declares (GetWave_Exists True)";
        return false;
    }
    InitOnly = !Library.GetWave || Ami.GetWaveExists == 0;
    if (InitOnly && Ami.InitReturnsImpulse != 1) {
        error = LibraryPath + ": a receiver without AMI_GetWave" +
                (Library.GetWave ? " (" + AmiPath + " declares GetWave_Exists False)" : std::string()) +
                " acts only through the impulse response its AMI_Init returns, and " + AmiPath +
                " does not declare Init_Returns_Impulse True";
        return false;
    }
    return true;
}

std::string Receiver::Flow() const
{
    return InitOnly ? "the impulse response its AMI_Init returns" : "its AMI_GetWave";
}

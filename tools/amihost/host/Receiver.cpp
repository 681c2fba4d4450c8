#include "tools/amihost/host/Receiver.h"

#include "tools/amihost/host/Kit.h"
#include "tools/amihost/signal/TextFile.h"

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
        Kit kit;
        ExitStatus status = ExitOk;
        if (!kit.Open(model, ibisModel, Kit::ReceiverModel, error, status))
            return false;
        LibraryPath = kit.Line.Library;
        AmiPath = kit.Line.ParameterFile;
        Origin = "[Model] " + kit.Model->Name + " of " + model;
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

#pragma once

#include <string>
#include <vector>

#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/amifile/ParameterString.h"
#include "tools/amihost/host/AmiModel.h"

// A receiver AMI model after the channel, behind the transmitter, as
// simulators chain them (amihost run and sweep with --rx-model).
//
// It is named by its library with its .ami file, or by an IBIS file: the
// [Model] named (or the file's only one with an [Algorithmic Model]), whose
// Executable line for this platform names both files, relative to the .ibs
// file's folder. That model must receive: its Model_type begins with Input
// or I/O.
//
// How a simulator applies it follows its .ami file and its symbols:
//   - through AMI_GetWave when the library has one and the .ami does not
//     declare GetWave_Exists False;
//   - otherwise (Init only) through the impulse response that its AMI_Init
//     returns, which the .ami must declare with Init_Returns_Impulse True.
// An .ami that declares GetWave_Exists True for a library without
// AMI_GetWave is refused, and so is a model that fits neither way.
//
// Read, SetParameters and Load run once, in this order; afterwards the
// receiver is only read, by any number of simulations at once.
class Receiver {
public:
    // The files: `model` is an IBIS file (.ibs in any case), with `ibisModel`
    // the name of its [Model] or empty, and `ami` empty; or else the library,
    // with `ami` its .ami file. Reads the .ibs and the .ami, loads nothing.
    // False with the reason ("FILE:LINE: what" where there is a line).
    bool Read(const std::string& model, const std::string& ami, const std::string& ibisModel, std::string& error);

    // The parameter string: the .ami defaults with `settings` applied. False
    // with the reason for a setting that the .ami does not allow.
    bool SetParameters(const std::vector<ParameterString::Setting>& settings, std::string& error);

    // Loads the library and decides how it is applied; false with the reason.
    bool Load(std::string& error);

    // True for a file name that ends in .ibs, in any case.
    static bool IsIbis(const std::string& path);

    // "its AMI_GetWave" or "the impulse response its AMI_Init returns".
    std::string Flow() const;

    AmiFile Ami;            // its .ami file
    AmiModel Library;       // loaded by Load
    std::string LibraryPath;
    std::string AmiPath;
    std::string Origin;     // "[Model] NAME of FILE.ibs" when named by an IBIS file; empty otherwise
    std::string Parameters; // the string for its AMI_Init
    bool InitOnly = false;  // applied through the impulse response of its AMI_Init
};

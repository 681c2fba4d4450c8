#pragma once

#include <string>

#include "tools/amihost/host/ExitStatus.h"
#include "ibis/IbisFile.h"
#include "ibis/IbisPlatform.h"

// A model kit opened from its .ibs file: the file read, one [Model] chosen,
// and (for an AMI model) the Executable line of this platform with its
// library and .ami file resolved beside the .ibs. Every command that starts
// from an .ibs opens it through Open: run and sweep (the model, and a
// receiver after the channel), check (its models' Executable lines through
// Executable), iv (any [Model]).
//
// Model and Line point into File: a Kit is neither copied nor moved.
class Kit {
public:
    // Which [Model] a name, or no name, chooses.
    enum Want {
        AmiModel,      // the AMI model called `name`, or the file's only one
        ReceiverModel, // likewise, and it must receive (Model_type Input... or I/O...)
        AnyModel,      // the [Model] called `name`, else the only [Model], else the only AMI model; no Executable
    };

    Kit() = default;
    Kit(const Kit&) = delete;
    Kit& operator=(const Kit&) = delete;

    // Reads `path` and chooses the model. False with one line in `error`
    // and, in `status`, ExitUsage when it is the given `name` that chooses
    // nothing (the caller names its option), else ExitFailure.
    bool Open(const std::string& path, const std::string& name, Want want, std::string& error,
              ExitStatus& status);

    // The Executable line of `model` (of `file`) for `platform`, its files
    // resolved beside the .ibs; false with the reason.
    static bool Executable(const IbisFile& file, const IbisModel& model, const IbisPlatform& platform,
                           IbisExecutableChoice& choice, std::string& error);

    // "FILE.ibs: [Model] NAME, Executable PLATFORM (line N)".
    std::string Description() const;

    IbisFile File;
    const IbisModel* Model = nullptr; // the chosen one, in File
    IbisExecutableChoice Line;        // its Executable line for this platform; empty for AnyModel
};

#pragma once

#include <string>

#include "tools/amihost/host/HostRequest.h"
#include "tools/amihost/check/KitCheckReport.h"
#include "tools/amihost/check/ModelCheck.h"
#include "ibis/IbisPlatform.h"

// `amihost check`: everything a simulator relies on in a model kit.
//
// From an .ibs file, in this order:
//   ibs-file            the file reads (if not, nothing else runs)
//   ibis-rules          IbisRules: the rules of the file's [IBIS Ver]
//   algorithmic-models  the [Model]s to check: the one --model names, else
//                       every [Model] with an [Algorithmic Model]. A file
//                       without one, or --model naming a [Model] without
//                       one, is checked by its IBIS rules alone (those of
//                       the named model and of the file around it), with a
//                       Note, and passes when they pass; nothing below runs
//   executable-files    the library and .ami of every Executable line of
//                       those models exist beside the .ibs (each missing
//                       file an Error on its line)
//   ami-files           every .ami file they name reads
//   then for each model: executable (its Executable line for `platform`)
//   and, when that line's files are there, ModelCheck's items.
// From a library and an .ami file: files (both exist), ami-files, then
// ModelCheck's items.
class KitCheck {
public:
    // `modelName`: the [Model] to check, or empty for every AMI model. A
    // name that is no [Model] of the file is the command line's fault:
    // report.UsageError.
    static KitCheckReport FromIbis(const std::string& path, const std::string& modelName,
                                   const IbisPlatform& platform, const ModelCheckConfig& config);

    static KitCheckReport FromLibrary(const std::string& library, const std::string& ami,
                                      const ModelCheckConfig& config);

    // What `amihost check` asks: FromIbis with FILE.ibs (for this platform),
    // else FromLibrary, with the request's timing, test waves and --set.
    static KitCheckReport Run(const HostRequest& request);

    // The request's timing, test waves and --set.
    static ModelCheckConfig Config(const HostRequest& request);
};

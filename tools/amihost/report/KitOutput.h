#pragma once

#include "tools/amihost/host/HostRequest.h"
#include "tools/amihost/host/Kit.h"
#include "tools/amihost/check/KitCheckReport.h"
#include "tools/amihost/report/CommandReport.h"

// What the commands on a kit report:
//   check  no files; the text: what was checked ("checking the kit of
//          FILE.ibs on PLATFORM", or the library with its .ami file), then
//          CheckReport's listing
//   iv     MODEL_typ.csv, MODEL_min.csv and MODEL_max.csv (IvReport); the
//          text: the [Model], its tables' rows and the files
class KitOutput {
public:
    static CommandReport Check(const HostRequest& request, const KitCheckReport& found);
    static CommandReport Iv(const HostRequest& request, const Kit& kit);
};

#pragma once

#include <functional>
#include <string>

#include "tools/amihost/check/KitCheckReport.h"

// A check of `amihost check` that calls into a model, run in a child
// process (IsolatedRun) so that a crash inside the model becomes a finding
// of the kit and the report is still written.
//
// The child fills the item and sends it back (Encode); the parent decodes
// it into the report. A child that dies of a signal gives the item an
// Error on the library naming the entry point it was in (IsolatedRun::Mark,
// made by AmiSession before every call): "AMI_Init crashed: signal 11
// (SIGSEGV (Segmentation fault))"; one that leaves by exit() an Error
// likewise. Those are the model's faults. Where no child can be made the
// check runs in the host's process with a Note saying so; on Windows it
// always does (IsolatedRun).
class IsolatedCheck {
public:
    // Adds item `name` to `report`, filled by `check` in a child; `library`
    // locates the findings of a crash. Returns the item, as
    // KitCheckReport::Run does.
    static KitCheckItem& Run(KitCheckReport& report, const std::string& name, const std::string& library,
                             const std::function<void(KitCheckItem&)>& check);

    // The item's summary, skip flag and findings as bytes, and back. Decode
    // is false for bytes that Encode did not make.
    static std::string Encode(const KitCheckItem& item);
    static bool Decode(const std::string& bytes, KitCheckItem& item);
};

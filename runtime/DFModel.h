#pragma once

namespace TorvaneModelBuilder {

// Base of every block of the dataflow runtime.
//
// Lifecycle, driven by the owner of the block: Setup (check parameters,
// declare port sizes) -> owner attaches port storage -> Initialize (reset
// state, allocate internal storage) -> Run once per firing -> Finalize
// (release internal storage) -> destruction. Every operation returns a
// success flag; the defaults do nothing and succeed. Nothing here records or
// enforces the order: that is the caller's obligation.
//
// A block never owns the storage behind its ports; it owns only what it
// allocates itself. A failing block writes one line per violated rule with
// ReportError and returns false; it never throws.
class DFModel {
public:
    virtual bool Setup();
    virtual bool Initialize();
    virtual bool Run();
    virtual bool Finalize();
    // Parameter-check hook; the lifecycle never calls it by itself.
    virtual bool Validate();
    virtual ~DFModel();

    // Writes `message` and a line end to standard error and flushes it.
    // A null message is treated as empty. Stores nothing.
    static void ReportError(const char* message);
};

} // namespace TorvaneModelBuilder

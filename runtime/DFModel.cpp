#include "runtime/DFModel.h"

#include <cstdio>

namespace TorvaneModelBuilder {

bool DFModel::Setup() { return true; }
bool DFModel::Initialize() { return true; }
bool DFModel::Run() { return true; }
bool DFModel::Finalize() { return true; }
bool DFModel::Validate() { return true; }
DFModel::~DFModel() = default;

void DFModel::ReportError(const char* message)
{
    // One formatted write per line keeps lines of concurrent instances whole.
    std::fprintf(stderr, "%s\n", message ? message : "");
    std::fflush(stderr);
}

} // namespace TorvaneModelBuilder

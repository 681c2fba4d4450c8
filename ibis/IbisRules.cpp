#include "ibis/IbisRules.h"

#include "ibis/rules/IbisRuleParts.h"

std::size_t IbisRules::LineLimit(const IbisFile& file) { return IbisRuleParts::Version(file) >= 401 ? 120 : 80; }

std::vector<Finding> IbisRules::Check(const IbisFile& file)
{
    IbisFindings out(file.Path);
    IbisRuleParts::Header(file, out);
    IbisRuleParts::Components(file, out);
    IbisRuleParts::Models(file, out);
    IbisRuleParts::Definitions(file, out);
    return out.Take();
}

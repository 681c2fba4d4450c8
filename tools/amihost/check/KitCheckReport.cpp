#include "tools/amihost/check/KitCheckReport.h"

#include <exception>
#include <new>

const char* KitCheckItem::Status() const
{
    if (Skipped)
        return "SKIP";
    bool warned = false;
    for (const Finding& finding : Findings) {
        if (finding.Fails())
            return "FAIL";
        warned = warned || finding.Severity == Finding::Warning || finding.Severity == Finding::Caution;
    }
    return warned ? "WARN" : "PASS";
}

std::array<std::size_t, Finding::Levels> KitCheckReport::Counts() const
{
    std::array<std::size_t, Finding::Levels> counts{};
    for (const KitCheckItem& item : Items)
        for (const Finding& finding : item.Findings)
            ++counts[finding.Severity];
    return counts;
}

bool KitCheckReport::Failed() const
{
    const std::array<std::size_t, Finding::Levels> counts = Counts();
    return counts[Finding::Error] + counts[Finding::ProgramBug] > 0;
}

KitCheckItem& KitCheckReport::Run(const std::string& name, const std::function<void(KitCheckItem&)>& check)
{
    Items.emplace_back();
    KitCheckItem& item = Items.back();
    item.Name = name;
    try {
        check(item);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        item.Skipped = false;
        item.Add(Finding::ProgramBug, "", "the check stopped: " + std::string(e.what()));
    }
    return item;
}

void KitCheckReport::Skip(const std::string& name, const std::string& why)
{
    Items.emplace_back();
    Items.back().Name = name;
    Items.back().Summary = why;
    Items.back().Skipped = true;
}

#include "tools/amihost/check/IsolatedCheck.h"

#include <cstddef>

#include "tools/amihost/host/guard/IsolatedRun.h"

namespace {

using Level = Finding::Level;

// Each field as its length in decimal, ':', then its bytes.
void Put(std::string& bytes, const std::string& field)
{
    bytes += std::to_string(field.size()) + ":" + field;
}

bool Take(const std::string& bytes, std::size_t& at, std::string& field)
{
    std::size_t length = 0;
    std::size_t digits = 0;
    for (; at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9' && digits < 12; ++at, ++digits)
        length = length * 10 + static_cast<std::size_t>(bytes[at] - '0');
    if (digits == 0 || at >= bytes.size() || bytes[at] != ':' || bytes.size() - at - 1 < length)
        return false;
    field = bytes.substr(at + 1, length);
    at += 1 + length;
    return true;
}

// "AMI_GetWave" from the child's last mark; the model's code in general
// when it made none (loading runs the library's own initialisers).
std::string Entry(const IsolatedRun::Result& run)
{
    return run.LastMark.empty() ? "the model" : run.LastMark;
}

} // namespace

std::string IsolatedCheck::Encode(const KitCheckItem& item)
{
    std::string bytes;
    Put(bytes, item.Summary);
    Put(bytes, item.Skipped ? "1" : "0");
    Put(bytes, std::to_string(item.Findings.size()));
    for (const Finding& finding : item.Findings) {
        Put(bytes, std::to_string(static_cast<int>(finding.Severity)));
        Put(bytes, finding.Where);
        Put(bytes, finding.What);
    }
    return bytes;
}

bool IsolatedCheck::Decode(const std::string& bytes, KitCheckItem& item)
{
    std::size_t at = 0;
    std::string skipped;
    std::string count;
    if (!Take(bytes, at, item.Summary) || !Take(bytes, at, skipped) || !Take(bytes, at, count) || count.empty() ||
        count.size() > 9 || count.find_first_not_of("0123456789") != std::string::npos)
        return false;
    item.Skipped = skipped == "1";
    const std::size_t findings = std::stoul(count);
    for (std::size_t i = 0; i < findings; ++i) {
        std::string level;
        Finding finding;
        if (!Take(bytes, at, level) || level.size() != 1 || level[0] < '0' || level[0] >= '0' + Finding::Levels ||
            !Take(bytes, at, finding.Where) || !Take(bytes, at, finding.What))
            return false;
        finding.Severity = static_cast<Level>(level[0] - '0');
        item.Findings.push_back(finding);
    }
    return at == bytes.size();
}

KitCheckItem& IsolatedCheck::Run(KitCheckReport& report, const std::string& name, const std::string& library,
                                 const std::function<void(KitCheckItem&)>& check)
{
    return report.Run(name, [&](KitCheckItem& item) {
        const IsolatedRun::Result run = IsolatedRun::Run([&](std::string& output) {
            // The child's own report catches what the check throws, as the
            // host's would.
            KitCheckReport inner;
            output = Encode(inner.Run(name, check));
            return true;
        });
        switch (run.End) {
        case IsolatedRun::Ending::Returned:
            if (!Decode(run.Output, item))
                item.Add(Level::ProgramBug, "", name + ": the child's answer could not be read");
            return;
        case IsolatedRun::Ending::Signalled:
            item.Add(Level::Error, library, Entry(run) + " crashed: signal " + std::to_string(run.Signal) + " (" +
                                                IsolatedRun::SignalName(run.Signal) + ")");
            return;
        case IsolatedRun::Ending::Exited:
            item.Add(Level::Error, library, Entry(run) + " ended the process (exit status " +
                                                std::to_string(run.ExitStatus) + ")");
            return;
        case IsolatedRun::Ending::TimedOut:
            item.Add(Level::Error, library, Entry(run) + " did not return");
            return;
        case IsolatedRun::Ending::NotRun:
            item.Add(Level::Note, "", "run in amihost's own process: " + run.Reason);
            check(item);
            return;
        }
    });
}

#include "tools/amihost/report/CommandReport.h"

bool CommandReport::Write(const std::string& folder, OutputFolder::Others others, std::string& error) const
{
    return OutputFolder::Write(folder, Files, others, error);
}

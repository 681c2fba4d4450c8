#include "tools/amihost/report/IvReport.h"

#include "ibis/IbisIvCsv.h"

// The tables are written by the IBIS library (ibis/IbisIvCsv), which owns
// their layout and number format; the corners map one to one.

const char* IvReport::Name(Corner corner) { return IbisIvCsv::Name(static_cast<IbisIvCsv::Corner>(corner)); }

std::string IvReport::Csv(const IbisModel& model, Corner corner)
{
    return IbisIvCsv::Csv(model, static_cast<IbisIvCsv::Corner>(corner));
}

std::string IvReport::FileName(const std::string& model, Corner corner)
{
    return IbisIvCsv::FileName(model, static_cast<IbisIvCsv::Corner>(corner));
}

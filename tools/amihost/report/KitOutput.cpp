#include "tools/amihost/report/KitOutput.h"

#include "ibis/IbisPlatform.h"
#include "tools/amihost/report/CheckReport.h"
#include "tools/amihost/report/IvReport.h"

CommandReport KitOutput::Check(const HostRequest& request, const KitCheckReport& found)
{
    CommandReport report;
    report.Text = request.IbisPath.empty()
                      ? "checking " + request.ModelPath + " with " + request.AmiPath + "\n"
                      : "checking the kit of " + request.IbisPath + " on " + IbisPlatform::Host().Describe() + "\n";
    report.Text += CheckReport::Text(found);
    return report;
}

CommandReport KitOutput::Iv(const HostRequest& request, const Kit& kit)
{
    const IbisModel& model = *kit.Model;
    CommandReport report;
    for (const IvReport::Corner corner : {IvReport::Typ, IvReport::Min, IvReport::Max})
        report.Files.emplace_back(IvReport::FileName(model.Name, corner), IvReport::Csv(model, corner));
    report.Text = "[Model] " + model.Name + " of " + request.IbisPath + " (line " + std::to_string(model.Line) +
                  "): [Pulldown] " + std::to_string(model.Pulldown.Rows.size()) + ", [Pullup] " +
                  std::to_string(model.Pullup.Rows.size()) + ", [GND Clamp] " +
                  std::to_string(model.GndClamp.Rows.size()) + ", [POWER Clamp] " +
                  std::to_string(model.PowerClamp.Rows.size()) + " rows\n";
    report.Text += "wrote       " + request.OutDir + "/" + report.Files[0].first + ", " + report.Files[1].first +
                   ", " + report.Files[2].first + "\n";
    return report;
}

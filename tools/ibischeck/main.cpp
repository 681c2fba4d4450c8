// ibischeck: checks IBIS files (.ibs, .pkg, .ebd) against the rules of their
// own [IBIS Ver] and prints the numbered findings, the counts per level and
// "Passed" or "Failed" for each file. With --iv DIR it also writes every
// model's I-V tables to DIR/MODEL_typ.csv, _min.csv and _max.csv.
//
//   ibischeck [--iv DIR] [--all] FILE...
//
// --all lists every finding (by default the repeats of one rule are counted
// after its first ten). Exit status: 0 when every file passes, 1 when one
// fails, 2 for a usage error or an I-V file that cannot be written.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ibis/IbisCheck.h"
#include "ibis/IbisIvCsv.h"
#include "ibis/IbisReport.h"

namespace {

bool WriteTables(const IbisFile& file, const std::string& dir)
{
    for (const IbisModel& model : file.Models)
        for (const IbisIvCsv::Corner corner : {IbisIvCsv::Typ, IbisIvCsv::Min, IbisIvCsv::Max}) {
            const std::string path = dir + "/" + IbisIvCsv::FileName(model.Name, corner);
            const std::string partial = path + ".partial";
            const std::string csv = IbisIvCsv::Csv(model, corner);
            {
                std::ofstream out(partial, std::ios::binary | std::ios::trunc);
                out.write(csv.data(), static_cast<std::streamsize>(csv.size()));
                if (!out) {
                    std::fprintf(stderr, "ibischeck: %s: cannot write\n", path.c_str());
                    std::remove(partial.c_str());
                    return false;
                }
            }
            if (std::rename(partial.c_str(), path.c_str()) != 0) {
                std::fprintf(stderr, "ibischeck: %s: cannot write\n", path.c_str());
                std::remove(partial.c_str());
                return false;
            }
        }
    return true;
}

int Usage()
{
    std::fprintf(stderr, "usage: ibischeck [--iv DIR] [--all] FILE...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string ivDir;
    bool all = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--iv") == 0) {
            if (++i == argc)
                return Usage();
            ivDir = argv[i];
        } else if (std::strcmp(argv[i], "--all") == 0) {
            all = true;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return Usage();
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.empty())
        return Usage();
    bool failed = false;
    for (const std::string& path : files) {
        const IbisCheck::Result result = IbisCheck::File(path);
        std::printf("%s\n%s", path.c_str(),
                    IbisReport::Text(result.Findings, all ? static_cast<std::size_t>(-1) : IbisReport::ShownPerRule)
                        .c_str());
        failed = failed || IbisReport::Failed(result.Findings);
        if (result.Read && !ivDir.empty() && !WriteTables(result.File, ivDir))
            return 2;
    }
    return failed ? 1 : 0;
}

#include "tools/amihost/channel/findings/BandCoverage.h"

#include <algorithm>

BandCoverage BandCoverage::Assess(const std::vector<double>& frequencies, double bitTime, double sampleInterval)
{
    BandCoverage band;
    band.DataTop = frequencies.empty() ? 0.0 : frequencies.back();
    band.SampleNyquist = 0.5 / sampleInterval;
    band.Needed = std::min(1.0 / bitTime, band.SampleNyquist);
    band.Share = band.Needed > 0.0 ? band.DataTop / band.Needed : 0.0;
    band.Short = band.DataTop < band.Needed;
    band.BeyondSampling = band.DataTop > band.SampleNyquist;
    band.Rest = band.Short ? Extension::TaperedToZero : Extension::None;
    return band;
}

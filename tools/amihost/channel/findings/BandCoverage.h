#pragma once

#include <vector>

// Whether a channel's data reach as high in frequency as the run needs.
//
// The run resolves frequencies up to the sample Nyquist 1 / (2 dt); what
// decides the eye of NRZ at bit rate 1 / T lies below the bit rate itself
// (the Nyquist frequency 1 / (2 T) and the content of the edges up to
// twice that). So the band needed is
//   Needed = min(1 / T, 1 / (2 dt))    (Hz)
// and data whose highest frequency DataTop lies below it are short. Above
// DataTop nothing is known: the transfer is tapered to 0 over the top
// CausalImpulse::TaperShare of the data's band (raised cosine) and is 0
// beyond; above 1 / (2 dt) data are dropped.
struct BandCoverage {
    enum class Extension {
        None,          // the data reach the needed band
        TaperedToZero, // short: tapered to 0 at DataTop, 0 above
    };

    double DataTop = 0.0;       // the data's highest frequency, Hz
    double Needed = 0.0;        // Hz, as above
    double SampleNyquist = 0.0; // 1 / (2 dt), Hz
    double Share = 0.0;         // DataTop / Needed; < 1 when short
    bool Short = false;         // DataTop < Needed
    bool BeyondSampling = false; // data above 1 / (2 dt), unused
    Extension Rest = Extension::None;

    // `frequencies` in Hz (increasing, at least one), bitTime T and
    // sampleInterval dt in seconds (> 0). Empty frequencies give DataTop 0.
    static BandCoverage Assess(const std::vector<double>& frequencies, double bitTime, double sampleInterval);
};

#pragma once

// The clock recovery of the test receiver: a first-order loop around a
// bang-bang (Alexander) phase detector.
//
// Positions are in samples from the start of the wave (sample n at time
// n dt), spb = bit time / dt (need not be whole). The data are sampled at
// t_k, the edge between bits k-1 and k half a bit earlier, at
// e_k = t_k - spb / 2; a value between samples is interpolated linearly from
// its two neighbours (the sample before the wave is 0). A sample decides 1
// when it is >= 0, the NRZ midline. When D_{k-1} != D_k (a transition):
//   E_k == D_k      the edge came before e_k, the clock is late:
//                   t_{k+1} = t_k + spb - G spb
//   E_k == D_{k-1}  the clock is early: t_{k+1} = t_k + spb + G spb
// otherwise t_{k+1} = t_k + spb. G is the loop gain in UI per transition,
// 0 < G < 1/2 (so the instants stay in order); a locked loop dithers within
// G UI of the data's crossings. It starts at t_0 = spb / 2, an edge assumed
// at time 0. Every data sample reports its clock time, the edge e_k dt in
// seconds: a host samples the data at clock time + bit time / 2, = t_k dt.
class BangBangCdr {
public:
    void Setup(double samplesPerBit, double gain, double sampleInterval)
    {
        *this = BangBangCdr();
        spb_ = samplesPerBit;
        step_ = gain * samplesPerBit;
        dt_ = sampleInterval;
        data_ = samplesPerBit / 2.0;
    }

    // The next sample of the wave; true with its clock time in seconds when a
    // data sample fell in (n - 1, n] (at most one does, as t_{k+1} - t_k > 1).
    bool Push(double y, double& clockTime)
    {
        const double n = position_;
        position_ += 1.0;
        bool ticked = false;
        for (;;) {
            const double edge = data_ - spb_ / 2.0;
            if (!edgeTaken_ && edge <= n) {
                edgeOne_ = Between(y, edge - (n - 1.0)) >= 0.0;
                edgeTaken_ = true;
            } else if (edgeTaken_ && data_ <= n) {
                const bool one = Between(y, data_ - (n - 1.0)) >= 0.0;
                if (started_ && one != lastOne_)
                    data_ += edgeOne_ == one ? -step_ : step_;
                clockTime = edge * dt_;
                ticked = true;
                lastOne_ = one;
                started_ = true;
                edgeTaken_ = false;
                data_ += spb_;
            } else {
                break;
            }
        }
        previous_ = y;
        return ticked;
    }

private:
    // The wave at fraction f in (0, 1] of the way from the previous sample to y.
    double Between(double y, double f) const { return previous_ + f * (y - previous_); }

    double spb_ = 2.0;        // samples per bit
    double step_ = 0.0;       // G spb: the phase step, samples
    double dt_ = 0.0;         // sample interval, seconds
    double data_ = 1.0;       // t_k: the next data instant, samples
    double position_ = 0.0;   // n of the next sample pushed
    double previous_ = 0.0;   // the sample before it
    bool edgeTaken_ = false;  // E_k is taken, D_k not yet
    bool edgeOne_ = false;    // E_k
    bool lastOne_ = false;    // D_{k-1}
    bool started_ = false;    // D_{k-1} exists
};

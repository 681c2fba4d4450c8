#pragma once

#include <string>
#include <vector>

// The channel between the transmitter's output and the eye: nothing, the
// built-in lossy line, or an impulse response read from a CSV file, always
// as dimensionless taps at the simulation's sample interval dt
// (y[n] = sum_k Taps[k] x[n - k]).
//
// Impulse responses in files and in AMI_Init's impulse matrix are h(t) in
// 1/s, as IBIS-AMI passes them: Taps[k] = h(k dt) * dt.
class Channel {
public:
    // No channel: the single tap 1.
    Channel();

    // The built-in line (LossyLine) of `lossDb` at Nyquist, at most
    // `maxLength` taps. False with the reason for bad arguments.
    static bool Line(double lossDb, double bitTime, double sampleInterval, std::size_t maxLength,
                     Channel& channel, std::string& error);

    // An impulse response h(t) in 1/s sampled every `sampleInterval`.
    static bool FromImpulse(const std::vector<double>& impulse, double sampleInterval, const std::string& name,
                            Channel& channel, std::string& error);

    // Taps made elsewhere (a Touchstone file's through path), with the
    // description that reports show.
    static Channel FromTaps(std::vector<double> taps, std::string description);

    // The channel's output for `wave`, the same length.
    std::vector<double> Apply(const std::vector<double>& wave) const;

    // The impulse matrix of AMI_Init (one row, no aggressors): Taps / dt.
    std::vector<double> ImpulseMatrix(double sampleInterval) const;

    const std::vector<double>& Taps() const { return taps_; }
    bool IsNone() const { return none_; }
    const std::string& Description() const { return description_; }

private:
    std::vector<double> taps_;
    bool none_ = true;
    std::string description_; // for reports: "none", "lossy line, 12 dB at 6.4 GHz", ...
};

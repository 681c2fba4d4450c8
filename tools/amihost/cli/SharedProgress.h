#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "tools/amihost/cli/ProgressBar.h"
#include "tools/amihost/host/Study.h"

// Progress of several simulations of equal size on one bar (ProgressBar);
// they may run on threads of their own, each reporting the samples it has
// done so far (through the whole chain: a receiver model after the channel
// passes them a second time). The bar shows their sum, in bits when the
// samples per bit are given, on standard error as ProgressBar::Where says.
class SharedProgress {
public:
    // `count` simulations of `each` samples; `samplesPerBit` > 0 counts bits
    // of that many samples, else samples.
    SharedProgress(std::size_t count, std::size_t each, int samplesPerBit = 0);

    // The callback of simulation `index`; `label` names it on the bar.
    Study::Progress For(std::size_t index, const std::string& label);

private:
    std::mutex lock_;
    ProgressBar bar_;
    std::vector<std::size_t> done_; // samples done per simulation
    std::size_t total_ = 0;         // their sum
};

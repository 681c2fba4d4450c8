#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "tools/amihost/cli/ProgressBar.h"
#include "tools/amihost/host/Study.h"

// Progress of several simulations of equal size on one bar (ProgressBar);
// they may run on threads of their own, each reporting the samples it has
// done so far. The bar shows their sum.
class SharedProgress {
public:
    // `count` simulations of `each` samples.
    SharedProgress(std::size_t count, std::size_t each);

    // The callback of simulation `index`; `label` names it on the bar.
    Study::Progress For(std::size_t index, const std::string& label);

private:
    std::mutex lock_;
    ProgressBar bar_;
    std::vector<std::size_t> done_; // samples done per simulation
    std::size_t total_ = 0;         // their sum
};

#include "tools/amihost/cli/SharedProgress.h"

namespace {

ProgressBar::Units CountedIn(int samplesPerBit)
{
    if (samplesPerBit > 0)
        return {static_cast<double>(samplesPerBit), "bits"};
    return {};
}

} // namespace

SharedProgress::SharedProgress(std::size_t count, std::size_t each, int samplesPerBit)
    : bar_(count * each, ProgressBar::Where(), CountedIn(samplesPerBit), {}), done_(count, 0)
{
}

Study::Progress SharedProgress::For(std::size_t index, const std::string& label)
{
    return [this, index, label](std::size_t done) {
        const std::lock_guard<std::mutex> guard(lock_);
        total_ += done - done_[index];
        done_[index] = done;
        bar_.Update(total_, label);
    };
}

#pragma once

#include <cstddef>
#include <functional>

// Runs task(0) .. task(count - 1), each exactly once, on up to `jobs`
// threads (the calling one among them), and returns when all have finished.
// Tasks take the next index as they become free, so the order in which they
// run is not fixed: each must write only to what its index owns. With
// jobs <= 1 (or one task) they run in order on the calling thread. An
// exception thrown by a task is rethrown here, the first one only, after
// every thread has stopped.
void RunInParallel(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& task);

// The number of threads this machine runs at once (at least 1).
unsigned EveryCore();

#include "tools/amihost/host/ParallelRuns.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

void RunInParallel(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& task)
{
    if (jobs <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i)
            task(i);
        return;
    }
    std::atomic<std::size_t> next{0};
    std::mutex lock;
    std::exception_ptr failure;
    auto work = [&]() {
        for (std::size_t i = next++; i < count; i = next++) {
            try {
                task(i);
            } catch (...) {
                const std::lock_guard<std::mutex> guard(lock);
                if (!failure)
                    failure = std::current_exception();
                next = count; // no new tasks; the running ones finish
            }
        }
    };
    const std::size_t helpers = (count < jobs ? count : jobs) - 1;
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    try {
        for (std::size_t t = 0; t < helpers; ++t)
            threads.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: those started and this one share the work.
    }
    work();
    for (std::thread& thread : threads)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

unsigned EveryCore()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

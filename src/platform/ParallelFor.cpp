#include "platform/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace velmora {

int HardwareThreads() {
    return static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
}

void ParallelFor(std::size_t count, int threads,
                 const std::function<void(std::size_t index, int worker)>& body) {
    const std::size_t workers = std::min(count, static_cast<std::size_t>(std::max(threads, 1)));
    if (workers <= 1) {
        for (std::size_t i = 0; i < count; ++i) body(i, 0);
        return;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto work = [&](int worker) {
        for (std::size_t i = next++; i < count && !failed; i = next++) {
            try {
                body(i, worker);
            } catch (...) {
                const std::lock_guard lock(failureMutex);
                if (!failure) failure = std::current_exception();
                failed = true;
            }
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(workers - 1);
    for (std::size_t w = 1; w < workers; ++w) {
        helpers.emplace_back(work, static_cast<int>(w));
    }
    work(0);
    for (std::thread& t : helpers) t.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace velmora

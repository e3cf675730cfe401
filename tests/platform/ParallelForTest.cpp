#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "platform/ParallelFor.h"

namespace velmora {
namespace {

TEST(ParallelFor, CallsEveryIndexOnceWithWorkersInRange) {
    std::vector<std::atomic<int>> calls(1000);
    std::atomic<int> badWorker{0};
    ParallelFor(calls.size(), 3, [&](std::size_t i, int worker) {
        ++calls[i];
        if (worker < 0 || worker >= 3) ++badWorker;
    });
    for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i], 1) << i;
    EXPECT_EQ(badWorker, 0);
}

TEST(ParallelFor, RethrowsAFailureAfterEveryWorkerStopped) {
    std::atomic<int> running{0};
    EXPECT_THROW(ParallelFor(100, 4,
                             [&](std::size_t i, int) {
                                 ++running;
                                 if (i == 10) throw std::runtime_error("index 10");
                                 --running;
                             }),
                 std::runtime_error);
    EXPECT_EQ(running, 1);  // only the failed call never came back
}

}  // namespace
}  // namespace velmora

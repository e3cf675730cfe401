#pragma once
// Work spread over threads: the indices of a range handed out one at a time to a few threads,
// the calling thread among them.

#include <cstddef>
#include <functional>

namespace velmora {

// The threads the hardware runs at once (at least 1).
int HardwareThreads();

// Calls body(index, worker) once for every index in [0, count) on at most `threads` threads,
// the calling thread being worker 0; worker numbers run from 0 to threads - 1, so the body can
// keep scratch space per worker. The indices are taken in ascending order, one at a time.
// Returns when every call has returned. An exception thrown by a call ends the other workers
// after their current index and is rethrown here.
void ParallelFor(std::size_t count, int threads,
                 const std::function<void(std::size_t index, int worker)>& body);

}  // namespace velmora

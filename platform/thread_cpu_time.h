#pragma once
// The processor time the calling thread has used, for the benchmarks that
// tell the window thread's own work apart from the time a busy machine
// gives to other programs.

#include <cstdint>

namespace tallyfold {

// Nanoseconds of processor time of the calling thread.
int64_t threadCpuNanoseconds();

}  // namespace tallyfold

#include "platform/thread_cpu_time.h"

#include <ctime>

namespace tallyfold {

int64_t threadCpuNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

}  // namespace tallyfold

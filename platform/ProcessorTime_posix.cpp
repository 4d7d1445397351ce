#include "platform/ProcessorTime.h"

#include <sched.h>
#include <time.h>

#include <thread>

namespace quorvane {

double ThreadProcessorSeconds() {
  timespec used{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used) != 0) return 0.0;
  return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

int UsableProcessorCount() {
#if defined(__linux__)
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
#endif
  const unsigned online = std::thread::hardware_concurrency();
  return online > 0 ? static_cast<int>(online) : 1;
}

}  // namespace quorvane

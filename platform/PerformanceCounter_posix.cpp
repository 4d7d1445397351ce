#include "platform/PerformanceCounter.h"

#include <time.h>

namespace quorvane {

std::int64_t QueryPerformanceCounter() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_RAW, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::int64_t QueryPerformanceFrequency() { return 1'000'000'000; }

}  // namespace quorvane

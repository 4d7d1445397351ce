// The high-resolution performance counter: a monotonic tick count and its fixed frequency.
// Reading it costs one clock call; it never blocks and never fails. Any thread may read it, and
// ticks read on different threads compare (the clock is the whole system's).
#pragma once

#include <cstdint>

namespace quorvane {

// Current tick count (nanoseconds of CLOCK_MONOTONIC_RAW on Linux, the system's performance
// counter on Windows).
std::int64_t QueryPerformanceCounter();

// Ticks per second of QueryPerformanceCounter.
std::int64_t QueryPerformanceFrequency();

}  // namespace quorvane

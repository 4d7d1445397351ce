#include "platform/PerformanceCounter.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

namespace quorvane {

// The system's counter cannot fail on any Windows that runs this program (XP and later).
std::int64_t QueryPerformanceCounter() {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

std::int64_t QueryPerformanceFrequency() {
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

}  // namespace quorvane

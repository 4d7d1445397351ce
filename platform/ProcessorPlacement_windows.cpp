#include "platform/ProcessorPlacement.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

namespace quorvane {

// Both work within the processor group of the calling thread (up to 64 processors), which is
// where the system starts a process's threads.

int CurrentProcessor() { return static_cast<int>(GetCurrentProcessorNumber()); }

bool KeepThreadOnProcessor(int processor) {
  if (processor < 0 || processor >= static_cast<int>(sizeof(DWORD_PTR) * 8)) return false;
  const DWORD_PTR mask = static_cast<DWORD_PTR>(1) << processor;
  return SetThreadAffinityMask(GetCurrentThread(), mask) != 0;
}

}  // namespace quorvane

#include "platform/Priority.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

namespace quorvane {

bool SetRealTimePriority() {
  // Without the privilege to raise the base priority the system grants the high class instead
  // and still reports success: only the class it then holds tells.
  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  return IsRealTimePriority();
}

void SetNormalPriority() { SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS); }

bool IsRealTimePriority() {
  return GetPriorityClass(GetCurrentProcess()) == REALTIME_PRIORITY_CLASS;
}

void SetLowestThreadPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST); }

int CurrentThreadId() { return static_cast<int>(GetCurrentThreadId()); }

void RaiseToCallerPriority(std::thread::native_handle_type, int threadId) {
  HANDLE thread = OpenThread(THREAD_SET_INFORMATION, FALSE, static_cast<DWORD>(threadId));
  if (thread == nullptr) return;  // it has ended already
  SetThreadPriority(thread, GetThreadPriority(GetCurrentThread()));
  CloseHandle(thread);
}

}  // namespace quorvane

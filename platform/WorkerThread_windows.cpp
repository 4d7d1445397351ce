#include "platform/WorkerThread.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>
#if defined(__MINGW32__)
#include <pthread.h>  // std::thread runs on the POSIX threads of MinGW-w64
#endif

#include <system_error>
#include <type_traits>

namespace quorvane {

namespace {

// The system's handle of a std::thread: the handle itself with the Microsoft library, the
// handle below the POSIX thread with MinGW-w64's.
HANDLE SystemHandle(std::thread& thread) {
#if defined(__MINGW32__)
  return pthread_gethandle(thread.native_handle());
#else
  static_assert(std::is_convertible_v<std::thread::native_handle_type, HANDLE>);
  return thread.native_handle();
#endif
}

}  // namespace

void EndThreadByForce(std::thread& thread) {
  // Windows has no cancellation that unwinds: the thread is terminated where it stands.
  TerminateThread(SystemHandle(thread), 0);
  thread.join();
}

bool ForcedEndUnwinds() { return false; }

ForcedEndGuard::~ForcedEndGuard() = default;

}  // namespace quorvane

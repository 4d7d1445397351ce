#include "platform/WorkerThread.h"

#include <pthread.h>

#include <system_error>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVANE_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUORVANE_ADDRESS_SANITIZER 1
#endif
#if defined(QUORVANE_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#endif

namespace quorvane {

void EndThreadByForce(std::thread& thread) {
  pthread_cancel(thread.native_handle());
  thread.join();
}

bool ForcedEndUnwinds() { return true; }

ForcedEndGuard::~ForcedEndGuard() {
#if defined(QUORVANE_ADDRESS_SANITIZER)
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return;
  void* bottom = nullptr;
  std::size_t size = 0;
  if (pthread_attr_getstack(&attributes, &bottom, &size) == 0) {
    __asan_unpoison_memory_region(bottom, size);
  }
  pthread_attr_destroy(&attributes);
#endif
}

}  // namespace quorvane

#include "platform/ProcessorPlacement.h"

#include <pthread.h>
#include <sched.h>

namespace quorvane {

int CurrentProcessor() {
#if defined(__linux__)
  return sched_getcpu();
#else
  return -1;
#endif
}

bool KeepThreadOnProcessor(int processor) {
#if defined(__linux__)
  if (processor < 0 || processor >= CPU_SETSIZE) return false;
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(processor, &set);
  return pthread_setaffinity_np(pthread_self(), sizeof set, &set) == 0;
#else
  (void)processor;
  return false;
#endif
}

}  // namespace quorvane

#include "platform/Priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quorvane {

namespace {
// Above the lowest real-time priority, so that a thread lowered by SetLowestThreadPriority
// still yields to the threads of the run.
constexpr int kRunPriorityAboveMinimum = 1;
}  // namespace

bool SetRealTimePriority() {
  sched_param param{};
  param.sched_priority = sched_get_priority_min(SCHED_FIFO) + kRunPriorityAboveMinimum;
  return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

void SetNormalPriority() {
  sched_param param{};
  param.sched_priority = 0;
  pthread_setschedparam(pthread_self(), SCHED_OTHER, &param);
}

bool IsRealTimePriority() {
  int policy = SCHED_OTHER;
  sched_param param{};
  pthread_getschedparam(pthread_self(), &policy, &param);
  return policy == SCHED_FIFO || policy == SCHED_RR;
}

void SetLowestThreadPriority() {
  if (IsRealTimePriority()) {
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
  } else {
    // nice applies to the calling thread only on Linux (its thread id).
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
  }
}

}  // namespace quorvane

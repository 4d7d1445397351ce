#include "platform/Priority.h"

#include <pthread.h>

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <cerrno>

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
    setpriority(PRIO_PROCESS, static_cast<id_t>(CurrentThreadId()), 19);
  }
}

int CurrentThreadId() { return static_cast<int>(syscall(SYS_gettid)); }

void RaiseToCallerPriority(std::thread::native_handle_type thread, int threadId) {
  if (IsRealTimePriority()) {
    int policy = SCHED_FIFO;
    sched_param param{};
    pthread_getschedparam(pthread_self(), &policy, &param);
    pthread_setschedparam(thread, policy, &param);
  } else {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(CurrentThreadId()));
    if (errno == 0) setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), nice);  // may be refused
  }
}

}  // namespace quorvane

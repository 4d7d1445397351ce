// The real-time priority switch of a run: the calling thread (and every thread it starts
// afterwards) is raised to the real-time class, and later put back to the normal class. On Linux
// that is the thread's scheduling policy; on Windows the process's priority class, which covers
// every thread of the process. A refusal by the system (no privilege) is ignored: the run goes on
// at the normal priority. Each call acts on the calling thread (RaiseToCallerPriority: on the
// thread named), never blocks and never throws; the run's thread makes them, the meter's thread
// lowers itself.
#pragma once

#include <thread>

namespace quorvane {

// Raises the calling thread to the real-time class (SCHED_FIFO; REALTIME_PRIORITY_CLASS).
// True when the system agreed.
bool SetRealTimePriority();

// Puts the calling thread back to the normal class (SCHED_OTHER; NORMAL_PRIORITY_CLASS).
void SetNormalPriority();

// True while the calling thread runs in the real-time class.
bool IsRealTimePriority();

// Lowers the calling thread below every other thread of the run, within the class it runs in:
// the lowest real-time priority or nice 19 on Linux, THREAD_PRIORITY_LOWEST on Windows.
void SetLowestThreadPriority();

// The system's identifier of the calling thread (never 0).
int CurrentThreadId();

// Gives the thread `thread` (kernel identifier `threadId`), lowered by SetLowestThreadPriority,
// the calling thread's priority again, as far as the system allows, so that a starved thread
// that is asked to stop can do so at once.
void RaiseToCallerPriority(std::thread::native_handle_type thread, int threadId);

}  // namespace quorvane

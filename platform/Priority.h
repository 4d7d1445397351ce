// The real-time priority switch of a run: the calling thread (and every thread it starts
// afterwards) is raised to the real-time class, and later put back to the normal class.
// A refusal by the system (no privilege) is ignored: the run goes on at the normal priority.
#pragma once

#include <thread>

namespace quorvane {

// Raises the calling thread to the real-time class (SCHED_FIFO). True when the system agreed.
bool SetRealTimePriority();

// Puts the calling thread back to the normal class (SCHED_OTHER).
void SetNormalPriority();

// True while the calling thread runs in the real-time class.
bool IsRealTimePriority();

// Lowers the calling thread below every other thread of the run: the lowest real-time priority
// when the thread runs in the real-time class, otherwise the lowest time-sharing priority.
void SetLowestThreadPriority();

// The kernel's identifier of the calling thread.
int CurrentThreadId();

// Gives the thread `thread` (kernel identifier `threadId`), lowered by SetLowestThreadPriority,
// the calling thread's priority again, as far as the system allows, so that a starved thread
// that is asked to stop can do so at once.
void RaiseToCallerPriority(std::thread::native_handle_type thread, int threadId);

}  // namespace quorvane

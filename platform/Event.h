// An auto-reset event of the operating system (an eventfd on Linux, an event object on Windows):
// one thread sets it, one waits for it or polls it, and the wait or poll that finds it set also
// resets it. It does not count: setting a set event leaves it set once. Set, Wait, Poll and
// WaitFor may be called from different threads at the same time; nothing here allocates after
// construction. Only the constructor can fail (it throws); afterwards no call fails: Wait blocks
// for as long as it takes, WaitFor up to its time-out, Set, Reset and Poll never block. The owner
// keeps the event alive until every thread that may set or wait for it is done with it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvane {

class Event {
 public:
  Event();  // unnamed, initially not set; throws std::system_error when the system has none left
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();
  // Blocks until the event is set, then resets it.
  void Wait();
  // One poll with a time-out of zero: true (and the event reset) when it was set.
  bool Poll();
  // Waits at most `timeout` for the event; true (and the event reset) when it was set.
  bool WaitFor(std::chrono::milliseconds timeout);

 private:
  friend void WaitForAll(std::span<Event> events);
  std::intptr_t handle_;  // the descriptor or handle of the system's event
};

// Waits, without time-out, until every event of `events` has been set (any number of them; the
// system may limit how many it waits for at once, which this hides), resetting each.
void WaitForAll(std::span<Event> events);

}  // namespace quorvane

// An auto-reset event of the operating system (an eventfd on Linux): one thread sets it, one
// waits for it or polls it, and the wait or poll that finds it set also resets it.
// It does not count: setting a set event leaves it set once.
#pragma once

#include <chrono>
#include <cstddef>
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
  int fd_;
};

// Waits, without time-out, until every event of `events` has been set (any number of them).
void WaitForAll(std::span<Event> events);

}  // namespace quorvane

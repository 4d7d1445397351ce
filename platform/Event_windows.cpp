#include "platform/Event.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include <algorithm>
#include <system_error>

namespace quorvane {

namespace {

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// A time-out in the form WaitForSingleObject takes: never INFINITE, never negative.
DWORD WaitMilliseconds(std::chrono::milliseconds timeout) {
  const long long limited = std::clamp<long long>(timeout.count(), 0, INFINITE - 1);
  return static_cast<DWORD>(limited);
}

}  // namespace

Event::Event()
    : handle_(reinterpret_cast<std::intptr_t>(CreateEventW(nullptr, FALSE, FALSE, nullptr))) {
  if (handle_ == 0) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "CreateEvent");
  }
}

Event::~Event() { CloseHandle(Native(handle_)); }

void Event::Set() { SetEvent(Native(handle_)); }

void Event::Reset() { ResetEvent(Native(handle_)); }

void Event::Wait() { WaitForSingleObject(Native(handle_), INFINITE); }

bool Event::Poll() { return WaitForSingleObject(Native(handle_), 0) == WAIT_OBJECT_0; }

bool Event::WaitFor(std::chrono::milliseconds timeout) {
  return WaitForSingleObject(Native(handle_), WaitMilliseconds(timeout)) == WAIT_OBJECT_0;
}

void WaitForAll(std::span<Event> events) {
  // One wait takes at most MAXIMUM_WAIT_OBJECTS (64) handles: wait for them group by group.
  // Each group's wait returns only once all of its events were set, and resets them all.
  HANDLE group[MAXIMUM_WAIT_OBJECTS];
  for (std::size_t first = 0; first < events.size(); first += MAXIMUM_WAIT_OBJECTS) {
    const std::size_t count = std::min<std::size_t>(MAXIMUM_WAIT_OBJECTS, events.size() - first);
    for (std::size_t i = 0; i < count; ++i) group[i] = Native(events[first + i].handle_);
    WaitForMultipleObjects(static_cast<DWORD>(count), group, TRUE, INFINITE);
  }
}

}  // namespace quorvane

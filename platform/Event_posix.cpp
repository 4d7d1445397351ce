#include "platform/Event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace quorvane {

namespace {
// The descriptor kept in a handle field.
int Fd(std::intptr_t handle) { return static_cast<int>(handle); }
}  // namespace

Event::Event() : handle_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (handle_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

Event::~Event() { close(Fd(handle_)); }

void Event::Set() {
  const std::uint64_t one = 1;
  while (write(Fd(handle_), &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void Event::Reset() {
  std::uint64_t count = 0;
  while (read(Fd(handle_), &count, sizeof count) < 0 && errno == EINTR) {
  }
}

void Event::Wait() {
  for (;;) {
    pollfd entry{Fd(handle_), POLLIN, 0};
    if (poll(&entry, 1, -1) > 0) {
      std::uint64_t count = 0;
      if (read(Fd(handle_), &count, sizeof count) == static_cast<ssize_t>(sizeof count)) return;
    }
    // Interrupted, or another reader took it first: wait again.
  }
}

bool Event::Poll() {
  pollfd entry{Fd(handle_), POLLIN, 0};
  if (poll(&entry, 1, 0) <= 0) return false;
  std::uint64_t count = 0;
  return read(Fd(handle_), &count, sizeof count) == static_cast<ssize_t>(sizeof count);
}

bool Event::WaitFor(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd entry{Fd(handle_), POLLIN, 0};
    const int ready = poll(&entry, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    if (ready > 0) {
      std::uint64_t count = 0;
      if (read(Fd(handle_), &count, sizeof count) == static_cast<ssize_t>(sizeof count))
        return true;
    }
    if (ready == 0 || left.count() <= 0) return false;
  }
}

void WaitForAll(std::span<Event> events) {
  for (Event& event : events) event.Wait();
}

}  // namespace quorvane

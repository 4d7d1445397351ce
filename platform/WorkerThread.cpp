// The part of worker threads that is the same on every system: starting one.
#include "platform/WorkerThread.h"

#include <system_error>
#include <utility>

namespace quorvane {

std::optional<std::thread> StartThread(std::function<void()> routine) {
  try {
    return std::thread(std::move(routine));
  } catch (const std::system_error&) {
    return std::nullopt;
  }
}

}  // namespace quorvane

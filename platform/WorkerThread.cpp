#include "platform/WorkerThread.h"

#include <system_error>

namespace quorvane {

std::optional<std::thread> StartThread(std::function<void()> routine) {
  try {
    return std::thread(std::move(routine));
  } catch (const std::system_error&) {
    return std::nullopt;
  }
}

}  // namespace quorvane

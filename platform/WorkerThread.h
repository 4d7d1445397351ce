// Starting a thread that runs at once, reporting when the system refuses to create it.
// The thread inherits the scheduling policy and priority of the thread that starts it.
#pragma once

#include <functional>
#include <optional>
#include <thread>

namespace quorvane {

// Starts `routine` on a new thread; an empty result when the thread could not be created.
std::optional<std::thread> StartThread(std::function<void()> routine);

// The signature of StartThread, so that a caller can be given another one (tests do).
using ThreadStarter = std::function<std::optional<std::thread>(std::function<void()>)>;

}  // namespace quorvane

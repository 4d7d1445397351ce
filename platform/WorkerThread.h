// Starting a thread that runs at once, reporting when the system refuses to create it.
// The thread inherits the scheduling policy and priority of the thread that starts it. Any thread
// may start one; StartThread never blocks and never throws for a refusal. The caller owns the
// thread it gets and joins it (or ends it by force) before what the routine uses goes away.
#pragma once

#include <functional>
#include <optional>
#include <thread>

namespace quorvane {

// Starts `routine` on a new thread; an empty result when the thread could not be created.
std::optional<std::thread> StartThread(std::function<void()> routine);

// Ends a thread that did not stop when asked, and joins it: on Linux it is cancelled at its next
// poll, wait or sleep and unwinds; on Windows it is terminated where it stands, so it must hold
// no lock and own nothing that others need when that can happen. The caller must not touch what it
// shared with the thread before this returns, which is when the thread has ended (it blocks
// until then). Called by the thread that owns `thread`.
void EndThreadByForce(std::thread& thread);

// True where EndThreadByForce unwinds the thread (Linux), false where it only terminates it
// (Windows).
bool ForcedEndUnwinds();

// Lives in the outermost frame of a thread that may be ended by force. Such a thread unwinds
// without the frame exits that AddressSanitizer relies on; on the way out the guard clears the
// thread's stack of what they would have cleared. It does nothing in other builds.
struct ForcedEndGuard {
  ForcedEndGuard() = default;
  ForcedEndGuard(const ForcedEndGuard&) = delete;
  ForcedEndGuard& operator=(const ForcedEndGuard&) = delete;
  ~ForcedEndGuard();
};

// The signature of StartThread, so that a caller can be given another one (tests do).
using ThreadStarter = std::function<std::optional<std::thread>(std::function<void()>)>;

}  // namespace quorvane

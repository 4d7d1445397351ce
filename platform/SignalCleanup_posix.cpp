#include "platform/SignalCleanup.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>

namespace quorvane {

namespace {

enum SlotState : int { kFree = 0, kChanging = 1, kPublished = 2 };

struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX]{};
};

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the slots lock-free");

// The registry. A handful of files at a time: a save's temporary file and the disk test's file.
constexpr int kSlotCount = 16;
Slot slots[kSlotCount];

// SIGINT and SIGTERM held in the calling thread for the life of the guard, so that the handler
// never runs on the thread that is between claiming and publishing a slot.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

// Claims a free slot for `path`; nullptr when the path does not fit or every slot is taken.
Slot* Claim(const char* path) {
  if (std::strlen(path) >= PATH_MAX) return nullptr;
  for (Slot& slot : slots) {
    int expected = kFree;
    if (slot.state.compare_exchange_strong(expected, kChanging, std::memory_order_acquire)) {
      std::strcpy(slot.path, path);
      return &slot;
    }
  }
  return nullptr;
}

Slot* FindPublished(const char* path) {
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_acquire) == kPublished && std::strcmp(slot.path, path) == 0) {
      return &slot;
    }
  }
  return nullptr;
}

// Takes the published slot of `path` back for a change; nullptr when it is not registered.
Slot* Withdraw(const char* path) {
  for (Slot& slot : slots) {
    int expected = kPublished;
    if (slot.state.load(std::memory_order_acquire) == kPublished && std::strcmp(slot.path, path) == 0 &&
        slot.state.compare_exchange_strong(expected, kChanging, std::memory_order_acquire)) {
      return &slot;
    }
  }
  return nullptr;
}

extern "C" void RemoveAndExit(int signal) {
  for (Slot& slot : slots) {
    // A slot being changed belongs to another thread that is inside a create, rename or
    // removal with signals held; it finishes in moments and then publishes or frees the slot.
    int state = slot.state.load(std::memory_order_acquire);
    while (state == kChanging) state = slot.state.load(std::memory_order_acquire);
    if (state == kPublished) unlink(slot.path);
  }
  _exit(128 + signal);
}

}  // namespace

int CreateRemovedOnSignal(const char* path, const std::function<int()>& create) {
  SignalsHeld held;
  Slot* slot = Claim(path);
  const int fd = create();
  if (slot != nullptr) slot->state.store(fd >= 0 ? kPublished : kFree, std::memory_order_release);
  return fd;
}

bool ReleaseRemovedOnSignal(const char* path, const std::function<bool()>& release) {
  SignalsHeld held;
  Slot* slot = Withdraw(path);
  const bool released = release();
  // A release that failed leaves the file where it was: it stays registered.
  if (slot != nullptr) slot->state.store(released ? kFree : kPublished, std::memory_order_release);
  return released;
}

void RemoveRegisteredFilesOnSignal() {
  struct sigaction action {};
  action.sa_handler = RemoveAndExit;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool IsRemovedOnSignal(const char* path) { return FindPublished(path) != nullptr; }

}  // namespace quorvane

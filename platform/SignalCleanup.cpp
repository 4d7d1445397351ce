// The registry of SignalCleanup.h: a fixed array of slots, each claimed, published and withdrawn
// with lock-free atomics so that the handler can read it at any instant. The same on every
// system; holding signals and removing files are the system's (SignalCleanupSystem_internal.h).
#include "platform/SignalCleanup.h"

#include <atomic>
#include <cstring>

#include "platform/SignalCleanupProbe_internal.h"
#include "platform/SignalCleanupSystem_internal.h"

namespace quorvane {

namespace {

using signal_cleanup::kPathLimit;

enum SlotState : int { kFree = 0, kChanging = 1, kPublished = 2 };

struct Slot {
  std::atomic<int> state{kFree};
  char path[kPathLimit]{};
};

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the slots lock-free");

// The registry. A handful of files at a time: a save's temporary file and the disk test's file.
constexpr int kSlotCount = 16;
Slot slots[kSlotCount];

// Claims a free slot for `path`; nullptr when the path does not fit or every slot is taken.
Slot* Claim(const char* path) {
  if (std::strlen(path) >= kPathLimit) return nullptr;
  for (Slot& slot : slots) {
    int expected = kFree;
    if (slot.state.compare_exchange_strong(expected, kChanging, std::memory_order_acquire)) {
      std::strcpy(slot.path, path);
      return &slot;
    }
  }
  return nullptr;
}

// Takes the published slot of `path` back for a change; nullptr when it is not registered.
Slot* Withdraw(const char* path) {
  for (Slot& slot : slots) {
    int expected = kPublished;
    if (slot.state.load(std::memory_order_acquire) == kPublished &&
        std::strcmp(slot.path, path) == 0 &&
        slot.state.compare_exchange_strong(expected, kChanging, std::memory_order_acquire)) {
      return &slot;
    }
  }
  return nullptr;
}

}  // namespace

// Each change runs with signals held; its lambda captures one reference, so that wrapping it
// allocates nothing.
int CreateRemovedOnSignal(const char* path, const std::function<int()>& create) {
  struct {
    const char* path;
    const std::function<int()>& create;
    int result = -1;
  } change{path, create};
  signal_cleanup::RunWithSignalsHeld([&change] {
    Slot* slot = Claim(change.path);
    change.result = change.create();
    if (slot != nullptr)
      slot->state.store(change.result >= 0 ? kPublished : kFree, std::memory_order_release);
  });
  return change.result;
}

bool ReleaseRemovedOnSignal(const char* path, const std::function<bool()>& release) {
  struct {
    const char* path;
    const std::function<bool()>& release;
    bool released = false;
  } change{path, release};
  signal_cleanup::RunWithSignalsHeld([&change] {
    Slot* slot = Withdraw(change.path);
    change.released = change.release();
    // A release that failed leaves the file where it was: it stays registered.
    if (slot != nullptr)
      slot->state.store(change.released ? kFree : kPublished, std::memory_order_release);
  });
  return change.released;
}

bool IsRemovedOnSignal(const char* path) {
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_acquire) == kPublished &&
        std::strcmp(slot.path, path) == 0) {
      return true;
    }
  }
  return false;
}

void signal_cleanup::RemovePublishedFiles() {
  for (Slot& slot : slots) {
    // A slot being changed belongs to another thread that is inside a create, rename or
    // removal; it finishes in moments and then publishes or frees the slot.
    int state = slot.state.load(std::memory_order_acquire);
    while (state == kChanging) {
      WaitForChangingSlot();
      state = slot.state.load(std::memory_order_acquire);
    }
    if (state == kPublished) RemoveFile(slot.path);
  }
}

}  // namespace quorvane

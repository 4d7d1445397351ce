#include "platform/SignalCleanup.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include <atomic>
#include <cstring>

// Windows has no SIGINT or SIGTERM for a console program: Ctrl+C arrives as CTRL_C_EVENT and a
// Ctrl+Break, a closed console window, a log-off or shut-down as the other console control
// events, each on a thread of its own that the system starts for the handler. Paths are UTF-8.

namespace quorvane {

namespace {

enum SlotState : int { kFree = 0, kChanging = 1, kPublished = 2 };

constexpr std::size_t kPathLimit = 4 * MAX_PATH;  // UTF-8 bytes of the longest usual path

struct Slot {
  std::atomic<int> state{kFree};
  char path[kPathLimit]{};
};

constexpr int kSlotCount = 16;
Slot slots[kSlotCount];

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

void RemoveFile(const char* utf8) {
  wchar_t wide[kPathLimit];
  if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, static_cast<int>(kPathLimit)) > 0) DeleteFileW(wide);
}

BOOL WINAPI RemoveAndExit(DWORD event) {
  for (Slot& slot : slots) {
    // A slot being changed belongs to a thread inside a create, rename or removal; it finishes
    // in moments (this handler runs on a thread of its own) and publishes or frees the slot.
    int state = slot.state.load(std::memory_order_acquire);
    while (state == kChanging) {
      Sleep(0);
      state = slot.state.load(std::memory_order_acquire);
    }
    if (state == kPublished) RemoveFile(slot.path);
  }
  // The statuses a POSIX shell shows for SIGINT and SIGTERM.
  ExitProcess(event == CTRL_C_EVENT ? 130 : 143);
}

}  // namespace

int CreateRemovedOnSignal(const char* path, const std::function<int()>& create) {
  Slot* slot = Claim(path);
  const int result = create();
  if (slot != nullptr) slot->state.store(result >= 0 ? kPublished : kFree, std::memory_order_release);
  return result;
}

bool ReleaseRemovedOnSignal(const char* path, const std::function<bool()>& release) {
  Slot* slot = Withdraw(path);
  const bool released = release();
  if (slot != nullptr) slot->state.store(released ? kFree : kPublished, std::memory_order_release);
  return released;
}

void RemoveRegisteredFilesOnSignal() { SetConsoleCtrlHandler(RemoveAndExit, TRUE); }

bool IsRemovedOnSignal(const char* path) {
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_acquire) == kPublished && std::strcmp(slot.path, path) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace quorvane

#include "platform/SignalCleanup.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include "platform/SignalCleanupSystem_internal.h"

// Windows has no SIGINT or SIGTERM for a console program: Ctrl+C arrives as CTRL_C_EVENT and a
// Ctrl+Break, a closed console window, a log-off or shut-down as the other console control
// events, each on a thread of its own that the system starts for the handler. Paths are UTF-8.

namespace quorvane {

namespace {

static_assert(signal_cleanup::kPathLimit == 4 * MAX_PATH);

BOOL WINAPI RemoveAndExit(DWORD event) {
  signal_cleanup::RemovePublishedFiles();
  // The statuses a POSIX shell shows for SIGINT and SIGTERM.
  ExitProcess(event == CTRL_C_EVENT ? 130 : 143);
}

}  // namespace

namespace signal_cleanup {

// The handler runs on a thread of its own, never on one that is changing a slot: nothing to hold.
void RunWithSignalsHeld(const std::function<void()>& change) { change(); }

void RemoveFile(const char* utf8) {
  wchar_t wide[kPathLimit];
  if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, static_cast<int>(kPathLimit)) > 0)
    DeleteFileW(wide);
}

void WaitForChangingSlot() { Sleep(0); }

}  // namespace signal_cleanup

void RemoveRegisteredFilesOnSignal() { SetConsoleCtrlHandler(RemoveAndExit, TRUE); }

}  // namespace quorvane

// Files that must not outlive the process when it is stopped by SIGINT, SIGTERM, SIGHUP or SIGQUIT
// (a temporary file of a save, the disk test's file): a fixed registry of their paths, and the
// handler that removes them and ends the process with status 128 + the signal's number.
//
// Why a fixed registry: a signal handler is process-wide. It runs at any instant, on whichever
// thread the signal lands, with no pointer to the program's state, and may use only
// async-signal-safe calls (no locks, no allocation). So the paths it must remove have to sit in
// storage it can reach without either: a fixed array of slots owned by this unit, each claimed
// and published with lock-free atomics. Nothing else in the program keeps process-wide state.
//
// Registering never changes what the file operations do: a full registry or an over-long path
// only means that the file is not removed by the handler.
//
// Threads: any thread may register and withdraw paths, several at once, without a lock (the
// registry is lock-free); neither call blocks beyond what `create` or `release` does. The
// handler is installed once, from the main thread, before any thread that registers starts.
#pragma once

#include <functional>

namespace quorvane {

// Runs `create` (which makes the file at `path` and returns a descriptor, or -1) so that a
// signal cannot come between the creation and the registration: the path is claimed first and
// published when `create` succeeded. Returns what `create` returned.
int CreateRemovedOnSignal(const char* path, const std::function<int()>& create);

// Withdraws `path` from the registry and runs `release` (the rename or removal that ends the
// file's life under this name) with no handler able to act on the path in between. Returns
// what `release` returned.
bool ReleaseRemovedOnSignal(const char* path, const std::function<bool()>& release);

// Installs the handler for SIGINT, SIGTERM, SIGHUP and SIGQUIT (on Windows: the console's
// control events): it removes every registered file and ends the process with _exit(128 + the
// signal's number). Call it from the main thread before any file is registered.
//
// Both programs end this way. The desktop program does not hand the signal to its event loop
// (the self-pipe way): the removal must happen at once even while the user-interface thread is
// busy or the run thread is inside a disk pass, and a session that is ending sends SIGKILL soon
// after SIGTERM or SIGHUP. Nothing the user made is lost: results live in the files they saved.
void RemoveRegisteredFilesOnSignal();

}  // namespace quorvane

// What the two halves of SignalCleanup.h give each other: the registry of paths, the same on
// every system (SignalCleanup.cpp), and the system's half that holds signals, removes a file and
// installs the handler (SignalCleanup_posix.cpp, SignalCleanup_windows.cpp). Included by those
// sources only; nothing here is for the rest of the program.
#pragma once

#include <climits>
#include <cstddef>
#include <functional>

namespace quorvane::signal_cleanup {

// The longest path a slot holds, its final NUL included.
#ifdef _WIN32
inline constexpr std::size_t kPathLimit = 4 * 260;  // UTF-8 bytes of a MAX_PATH-long path
#else
inline constexpr std::size_t kPathLimit = PATH_MAX;
#endif

// The system's half.
// Runs `change` so that the handler never runs on the calling thread while it lasts, i.e. never
// on a thread that is between claiming and publishing a slot.
void RunWithSignalsHeld(const std::function<void()>& change);
// Removes the file at `path`. Called from the handler: async-signal-safe, no allocation.
void RemoveFile(const char* path);
// Called by the handler between two looks at a slot that another thread is changing.
void WaitForChangingSlot();

// The registry's half, for the handler: removes the file of every published slot, after waiting
// out each slot that is being changed. No locks, no allocation.
void RemovePublishedFiles();

}  // namespace quorvane::signal_cleanup

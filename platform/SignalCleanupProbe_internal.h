// A look into the registry of SignalCleanup.h, for the tests of the units that register files:
// not for the program, which never needs to ask. Any thread; reads the slots without a lock.
#pragma once

namespace quorvane {

// Whether `path` is registered now.
bool IsRemovedOnSignal(const char* path);

}  // namespace quorvane

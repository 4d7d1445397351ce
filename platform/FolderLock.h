// An advisory lock on a folder, taken without waiting and released by the system when the
// process ends, however it ends (a crash, SIGKILL). The disk test holds one on the folder of its
// file from before its first pass to after its last, so that a second test in the same folder
// sees that the first one is running, also between two passes, when no test file exists.
// The lock keeps out only those who look for it: it changes nothing for other programs.
// Any thread may take one; a lock is released by the thread that owns the object. Taking one
// never blocks (a held lock makes it Busy at once); nothing to hold.
#pragma once

#include <cstdint>
#include <filesystem>

namespace quorvane {

class FolderLock {
 public:
  // Tries to lock `folder` for this lock object. Busy() when another one holds it (also one of
  // this process). A folder that cannot be opened for reading is neither locked nor busy: what
  // goes wrong there is left to the creation of the file. On Windows nothing is locked (there a
  // file opened without sharing keeps a second test out of a running pass).
  explicit FolderLock(const std::filesystem::path& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool Busy() const { return busy_; }

 private:
  std::intptr_t handle_ = -1;  // the locked folder's descriptor, -1 when none
  bool busy_ = false;
};

}  // namespace quorvane

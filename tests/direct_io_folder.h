// Test helper: a fresh, empty folder on a filesystem that really takes unbuffered (O_DIRECT)
// files, under the system's temporary folder or else under the current folder (the build tree).
// It never chooses a memory-only filesystem, and it does not use the code under test to decide.
#pragma once

#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <memory>

#include "tests/temp_folder.h"

namespace quorvane::test_support {

// None when no such folder could be made (the caller skips its test).
inline std::unique_ptr<TempFolder> DirectIoFolder() {
  std::error_code error;
  for (const std::filesystem::path& base :
       {std::filesystem::temp_directory_path(error), std::filesystem::current_path(error)}) {
    auto folder = std::make_unique<TempFolder>(base);
    struct statfs info {};
    if (folder->path().empty() || statfs(folder->path().c_str(), &info) != 0) continue;
    const auto type = static_cast<unsigned long>(info.f_type);
    if (type == 0x01021994UL || type == 0x858458f6UL) continue;  // tmpfs, ramfs
    const std::filesystem::path probe = folder->path() / "probe";
    const int fd = open(probe.c_str(), O_DIRECT | O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) continue;
    close(fd);
    unlink(probe.c_str());
    return folder;
  }
  return nullptr;
}

}  // namespace quorvane::test_support

// Test helper: a fresh, empty folder on a filesystem that really takes unbuffered (O_DIRECT)
// files, removed with its contents at the end. It looks under the system's temporary folder
// first and then under the current folder (the build tree). It never chooses a memory-only
// filesystem, and it does not use the code under test to decide.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace quorvane::test_support {

class DirectIoFolder {
 public:
  DirectIoFolder() {
    std::error_code error;
    for (const std::filesystem::path& base :
         {std::filesystem::temp_directory_path(error), std::filesystem::current_path(error)}) {
      if (base.empty()) continue;
      std::string pattern = (base / "quorvane-disk-XXXXXX").string();
      if (mkdtemp(pattern.data()) == nullptr) continue;
      if (TakesDirectIo(pattern)) {
        path_ = pattern;
        return;
      }
      std::filesystem::remove_all(pattern, error);
    }
  }
  ~DirectIoFolder() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  DirectIoFolder(const DirectIoFolder&) = delete;
  DirectIoFolder& operator=(const DirectIoFolder&) = delete;

  // Empty when no such folder could be made (the caller skips its test).
  const std::filesystem::path& path() const { return path_; }
  bool IsEmpty() const { return std::filesystem::is_empty(path_); }

 private:
  static bool TakesDirectIo(const std::filesystem::path& folder) {
    struct statfs info {};
    if (statfs(folder.c_str(), &info) != 0) return false;
    const auto type = static_cast<unsigned long>(info.f_type);
    if (type == 0x01021994UL || type == 0x858458f6UL) return false;  // tmpfs, ramfs
    const std::filesystem::path probe = folder / "probe";
    const int fd = open(probe.c_str(), O_DIRECT | O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
  }

  std::filesystem::path path_;
};

}  // namespace quorvane::test_support

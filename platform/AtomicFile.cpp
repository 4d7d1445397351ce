#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

namespace quorvane {

namespace {

// Writes all of `bytes` to `fd`; false on any error or short write that cannot be continued.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Creates a new file beside `target` whose name no other file has; -1 when that fails.
int CreateSibling(const std::filesystem::path& target, std::filesystem::path& created) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    created = target;
    std::string suffix(".");
    suffix.append(std::to_string(getpid())).append(".").append(std::to_string(random())).append(".tmp");
    created += suffix;
    const int fd = open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code error;
  // Through a symbolic link the file it names is replaced, not the link.
  std::filesystem::path target = path;
  if (std::filesystem::is_symlink(path, error)) {
    target = std::filesystem::weakly_canonical(path, error);
    if (error) return false;
  }

  std::filesystem::path temporary;
  const int fd = CreateSibling(target, temporary);
  if (fd < 0) return false;

  struct stat existing {};
  if (stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    fchmod(fd, existing.st_mode & 07777);
  }
  bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
  written = close(fd) == 0 && written;
  if (written && rename(temporary.c_str(), target.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

}  // namespace quorvane

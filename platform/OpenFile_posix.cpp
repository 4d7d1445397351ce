#include "platform/OpenFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quorvane {

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

ReadFileResult Failure(int error) {
  return {ReadStatus::CannotOpen, {}, std::error_code(error, std::generic_category())};
}

// Reads up to `limit` + 1 bytes, one more than allowed, so that a longer file is recognised.
ReadFileResult ReadUpTo(int fd, std::size_t limit) {
  ReadFileResult result{ReadStatus::Read, {}, {}};
  char buffer[65536];
  while (result.bytes.size() <= limit) {
    const std::size_t want = std::min(sizeof buffer, limit + 1 - result.bytes.size());
    const ssize_t got = read(fd, buffer, want);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Failure(errno);
    if (got == 0) return result;
    result.bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return {ReadStatus::TooLong, {}, {}};
}

}  // namespace

ReadFileResult ReadRegularFile(const std::filesystem::path& path, std::size_t limit) {
  // Non-blocking, so that a named pipe without a writer is opened at once and then refused.
  const Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.Get() < 0) return Failure(errno);
  struct stat info {};
  if (fstat(file.Get(), &info) != 0) return Failure(errno);
  if (S_ISDIR(info.st_mode)) return Failure(EISDIR);
  if (!S_ISREG(info.st_mode)) return {ReadStatus::NotRegular, {}, {}};
  const int flags = fcntl(file.Get(), F_GETFL);
  if (flags < 0 || fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return Failure(errno);
  return ReadUpTo(file.Get(), limit);
}

}  // namespace quorvane

#include "platform/UnbufferedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "platform/SignalCleanup.h"

namespace quorvane {

namespace {

// The descriptor kept in a handle field.
int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

constexpr std::size_t kAlignment = 4096;

// Filesystems that live in memory only. Recent kernels accept O_DIRECT on tmpfs, but the data
// still goes through the page cache, which is all there is: opening there would measure memory.
constexpr long kTmpfsMagic = 0x01021994;
constexpr long kRamfsMagic = static_cast<long>(0x858458f6);

// True when the folder that would hold `path` is on a filesystem without a device below its
// cache. A folder that cannot be examined is left to open() to judge.
bool IsMemoryOnlyFolder(const std::filesystem::path& path) {
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  struct statfs info {};
  if (statfs(folder.c_str(), &info) != 0) return false;
  const long type = static_cast<long>(info.f_type);
  return type == kTmpfsMagic || type == kRamfsMagic;
}

}  // namespace

AlignedBlock::AlignedBlock(std::size_t size) : size_(size) {
  void* memory = nullptr;
  const std::size_t bytes = size == 0 ? kAlignment : size;
  if (posix_memalign(&memory, kAlignment, bytes) != 0 || memory == nullptr) throw std::bad_alloc();
  std::memset(memory, 0, bytes);
  data_.reset(static_cast<std::byte*>(memory));
}

void AlignedBlock::Free::operator()(std::byte* p) const { std::free(p); }

std::optional<UnbufferedFile> UnbufferedFile::CreateNew(const std::filesystem::path& path) {
  if (IsMemoryOnlyFolder(path)) {
    errno = EINVAL;
    return std::nullopt;
  }
  int fd = -1;
  do {
    fd = CreateRemovedOnSignal(path.c_str(), [&path] {
      return open(path.c_str(), O_DIRECT | O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    });
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    // Some filesystems create the file before they refuse O_DIRECT; leave nothing behind. An
    // existing name (EEXIST, or a link: ELOOP) was never ours and is not touched.
    const int error = errno;
    struct stat left {};
    if (error != EEXIST && error != ELOOP && lstat(path.c_str(), &left) == 0 && S_ISREG(left.st_mode) &&
        left.st_size == 0 && left.st_uid == geteuid()) {
      unlink(path.c_str());
    }
    errno = error;
    return std::nullopt;
  }
  return UnbufferedFile(fd);
}

bool UnbufferedFile::Delete(const std::filesystem::path& path) {
  return ReleaseRemovedOnSignal(path.c_str(), [&path] { return unlink(path.c_str()) == 0; });
}

long UnbufferedFile::Write(const std::byte* data, std::size_t size) {
  ssize_t done = -1;
  do {
    done = write(Fd(handle_), data, size);
  } while (done < 0 && errno == EINTR);
  return done < 0 ? -1 : static_cast<long>(done);
}

long UnbufferedFile::Read(std::byte* data, std::size_t size) {
  ssize_t done = -1;
  do {
    done = read(Fd(handle_), data, size);
  } while (done < 0 && errno == EINTR);
  return done < 0 ? -1 : static_cast<long>(done);
}

bool UnbufferedFile::SeekToStart() { return lseek(Fd(handle_), 0, SEEK_SET) == 0; }

void UnbufferedFile::Close() {
  // The descriptor is released even when close() reports an error; it is never retried.
  if (handle_ >= 0) close(Fd(std::exchange(handle_, kClosed)));
}

}  // namespace quorvane

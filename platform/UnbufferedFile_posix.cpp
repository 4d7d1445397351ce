#include "platform/UnbufferedFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
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

bool SameFile(const struct stat& one, const struct stat& other) {
  return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// Whether the opened file `checked` is a leftover test file of `size` bytes (see ClearLeftover).
bool LooksLeftOver(const struct stat& checked, std::uintmax_t size) {
  return S_ISREG(checked.st_mode) && checked.st_nlink == 1 && checked.st_uid == geteuid() &&
         static_cast<std::uintmax_t>(checked.st_size) == size;
}

// Removes the file `checked` that has the name `path`. The name is first moved aside to one of
// this process's own, so that what is removed is the file that was checked even when someone
// gave the name to another file in between; that one is put back.
bool RemoveChecked(const std::filesystem::path& path, const struct stat& checked) {
  std::filesystem::path aside = path;
  aside += ".";  // in steps: GCC 12 takes `"." + temporary` for an overlapping copy
  aside += std::to_string(getpid());
  aside += ".removing";
  if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) != 0) {
    return false;
  }
  struct stat moved {};
  if (lstat(aside.c_str(), &moved) == 0 && SameFile(moved, checked)) {
    return unlink(aside.c_str()) == 0;
  }
  renameat2(AT_FDCWD, aside.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
  return false;
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
      return open(path.c_str(), O_DIRECT | O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0666);
    });
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    // Some filesystems create the file before they refuse O_DIRECT; leave nothing behind. An
    // existing name (EEXIST, or a link: ELOOP) was never ours and is not touched.
    const int error = errno;
    struct stat left {};
    if (error != EEXIST && error != ELOOP && lstat(path.c_str(), &left) == 0 &&
        S_ISREG(left.st_mode) && left.st_size == 0 && left.st_uid == geteuid()) {
      unlink(path.c_str());
    }
    errno = error;
    return std::nullopt;
  }
  // A new file of ours: nobody else holds a lock on it yet.
  flock(fd, LOCK_EX | LOCK_NB);
  return UnbufferedFile(fd);
}

LeftoverFile UnbufferedFile::ClearLeftover(const std::filesystem::path& path, std::uintmax_t size) {
  struct stat named {};
  if (lstat(path.c_str(), &named) != 0) return LeftoverFile::None;
  if (!S_ISREG(named.st_mode)) return LeftoverFile::Kept;
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return LeftoverFile::Kept;
  LeftoverFile outcome = LeftoverFile::Kept;
  struct stat opened {};
  if (fstat(fd, &opened) == 0 && SameFile(opened, named) && LooksLeftOver(opened, size)) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EWOULDBLOCK) outcome = LeftoverFile::InUse;
    } else if (RemoveChecked(path, opened)) {
      outcome = LeftoverFile::Removed;
    }
  }
  close(fd);
  return outcome;
}

std::optional<std::uintmax_t> UnbufferedFile::FreeSpace(const std::filesystem::path& folder) {
  struct statvfs info {};
  if (statvfs(folder.c_str(), &info) != 0) return std::nullopt;
  const auto blocks = static_cast<std::uintmax_t>(geteuid() == 0 ? info.f_bfree : info.f_bavail);
  return blocks * static_cast<std::uintmax_t>(info.f_frsize);
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

// A file whose reads and writes bypass the system's cache (O_DIRECT on Linux,
// FILE_FLAG_NO_BUFFERING on Windows): created anew (never over an existing file or through a
// link), read and written synchronously in blocks of a 4096-byte aligned buffer (a multiple of
// every sector size in use), repositioned, closed and deleted. A filesystem that refuses to
// bypass its cache refuses to open the file: nothing here ever falls back to buffered input and
// output. One file is used by one thread at a time; the static functions may be called from
// any thread. Every transfer is synchronous: Write and Read block until the device has taken or
// given the block, which is what the disk test times. Failures are told by the result (an empty
// optional, false, -1, LeftoverFile) with the reason in errno; nothing here throws but
// AlignedBlock's allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace quorvane {

// What had a test file's name before a test made its file (UnbufferedFile::ClearLeftover).
enum class LeftoverFile {
  None,     // nothing has the name (or the folder cannot be looked at)
  Removed,  // a leftover of a test that ended abnormally, now removed
  InUse,    // a test file that another process holds open and locked
  Kept,     // anything else: left exactly as it is
};

// A block of memory aligned to 4096 bytes, as unbuffered transfers need; zero-filled.
class AlignedBlock {
 public:
  explicit AlignedBlock(std::size_t size);  // throws std::bad_alloc
  std::byte* data() { return data_.get(); }
  const std::byte* data() const { return data_.get(); }
  std::size_t size() const { return size_; }

 private:
  struct Free {
    void operator()(std::byte* p) const;
  };
  std::unique_ptr<std::byte, Free> data_;
  std::size_t size_;
};

class UnbufferedFile {
 public:
  // Creates the file for reading and writing without the cache; empty (errno set) when it cannot
  // be created, when anything already has its name (EEXIST; a symbolic link: EEXIST or ELOOP,
  // never followed), or when the filesystem cannot bypass its cache. A folder on a memory-only
  // filesystem (tmpfs, ramfs) counts as one that cannot, whatever the kernel accepts. A refused
  // open leaves no new file behind and never touches an existing one. The new file is removed
  // if the process is stopped by a signal before Delete (SignalCleanup.h), and holds an advisory
  // lock while it is open (released by the system if the process dies), which ClearLeftover of
  // another process sees.
  static std::optional<UnbufferedFile> CreateNew(const std::filesystem::path& path);
  // Removes the file; false when it could not be removed (or did not exist).
  static bool Delete(const std::filesystem::path& path);
  // Removes what has the name `path` only when it is the leftover of a test that ended
  // abnormally: a regular file (a link is never followed), with one name, owned by the effective
  // user (not checked on Windows), exactly `size` bytes long and locked by no one. The checks are
  // made on the opened file, and only that file is removed: if the name changes hands meanwhile,
  // the other file stays. Device nodes, pipes and sockets are not even opened.
  static LeftoverFile ClearLeftover(const std::filesystem::path& path, std::uintmax_t size);
  // The bytes the user may still write on the filesystem that holds `folder` (the superuser
  // counts the blocks kept for it); none when that cannot be told.
  static std::optional<std::uintmax_t> FreeSpace(const std::filesystem::path& folder);

  UnbufferedFile(UnbufferedFile&& other) noexcept;
  UnbufferedFile& operator=(UnbufferedFile&& other) noexcept;
  ~UnbufferedFile();

  // Bytes written or read by one call (one system call, repeated only when interrupted before
  // it moved anything), or -1 on an error. Address and size must be multiples of the device's
  // sector size, or the call fails. After Close every call fails.
  long Write(const std::byte* data, std::size_t size);
  long Read(std::byte* data, std::size_t size);
  bool SeekToStart();
  void Close();  // safe to repeat

 private:
  static constexpr std::intptr_t kClosed = -1;
  explicit UnbufferedFile(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_ = kClosed;  // the system's descriptor or handle
};

}  // namespace quorvane

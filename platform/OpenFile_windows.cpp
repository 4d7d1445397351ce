#include "platform/OpenFile.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/WindowsErrors_internal.h"

namespace quorvane {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (Valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

ReadFileResult Failure(std::error_code reason) { return {ReadStatus::CannotOpen, {}, reason}; }

// Reads up to `limit` + 1 bytes, one more than allowed, so that a longer file is recognised.
ReadFileResult ReadUpTo(HANDLE file, std::size_t limit) {
  ReadFileResult result{ReadStatus::Read, {}, {}};
  char buffer[65536];
  while (result.bytes.size() <= limit) {
    const std::size_t want = std::min(sizeof buffer, limit + 1 - result.bytes.size());
    DWORD got = 0;
    if (ReadFile(file, buffer, static_cast<DWORD>(want), &got, nullptr) == 0) {
      return Failure(ReasonFromWindowsError(GetLastError()));
    }
    if (got == 0) return result;
    result.bytes.append(buffer, got);
  }
  return {ReadStatus::TooLong, {}, {}};
}

}  // namespace

ReadFileResult ReadRegularFile(const std::filesystem::path& path, std::size_t limit) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return Failure(std::make_error_code(std::errc::is_a_directory));
  }
  // Opening a pipe or a device does not wait for a writer; its type refuses it right after.
  const Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return Failure(ReasonFromWindowsError(GetLastError()));
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) return {ReadStatus::NotRegular, {}, {}};
  return ReadUpTo(file.Get(), limit);
}

}  // namespace quorvane

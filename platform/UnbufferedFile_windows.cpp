#include "platform/UnbufferedFile.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include <malloc.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "platform/SignalCleanup.h"
#include "platform/WindowsErrors_internal.h"

namespace quorvane {

namespace {

constexpr std::size_t kAlignment = 4096;

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

AlignedBlock::AlignedBlock(std::size_t size) : size_(size) {
  const std::size_t bytes = size == 0 ? kAlignment : size;
  void* memory = _aligned_malloc(bytes, kAlignment);
  if (memory == nullptr) throw std::bad_alloc();
  std::memset(memory, 0, bytes);
  data_.reset(static_cast<std::byte*>(memory));
}

void AlignedBlock::Free::operator()(std::byte* p) const { _aligned_free(p); }

std::optional<UnbufferedFile> UnbufferedFile::CreateNew(const std::filesystem::path& path) {
  // CREATE_NEW refuses any existing name, a symbolic link included (it is not followed).
  HANDLE file = INVALID_HANDLE_VALUE;
  DWORD error = ERROR_SUCCESS;
  CreateRemovedOnSignal(Utf8(path).c_str(), [&] {
    file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_NO_BUFFERING, nullptr);
    error = GetLastError();
    return file == INVALID_HANDLE_VALUE ? -1 : 0;
  });
  if (file == INVALID_HANDLE_VALUE) {
    errno = ErrnoFromWindowsError(error);
    return std::nullopt;
  }
  return UnbufferedFile(reinterpret_cast<std::intptr_t>(file));
}

// Opened without sharing, so that a pass of a running test (whose file is open) shows as a
// sharing violation; never through a link (the reparse point itself is opened and refused).
// Owners are not compared: removing needs the DELETE right on the file anyway.
LeftoverFile UnbufferedFile::ClearLeftover(const std::filesystem::path& path, std::uintmax_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return LeftoverFile::None;
    return error == ERROR_SHARING_VIOLATION ? LeftoverFile::InUse : LeftoverFile::Kept;
  }
  LeftoverFile outcome = LeftoverFile::Kept;
  BY_HANDLE_FILE_INFORMATION info{};
  constexpr DWORD kNotPlain =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
  if (GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
      (info.dwFileAttributes & kNotPlain) == 0 && info.nNumberOfLinks == 1 &&
      ((static_cast<std::uintmax_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow) == size) {
    FILE_DISPOSITION_INFO remove{};
    remove.DeleteFile = TRUE;  // the checked file itself, whatever its name is by then
    if (SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove)) {
      outcome = LeftoverFile::Removed;
    }
  }
  CloseHandle(file);
  return outcome;
}

std::optional<std::uintmax_t> UnbufferedFile::FreeSpace(const std::filesystem::path& folder) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return static_cast<std::uintmax_t>(available.QuadPart);
}

bool UnbufferedFile::Delete(const std::filesystem::path& path) {
  return ReleaseRemovedOnSignal(Utf8(path).c_str(),
                                [&path] { return DeleteFileW(path.c_str()) != 0; });
}

long UnbufferedFile::Write(const std::byte* data, std::size_t size) {
  DWORD done = 0;
  if (handle_ == kClosed || size > static_cast<std::size_t>(LONG_MAX) ||
      !WriteFile(Native(handle_), data, static_cast<DWORD>(size), &done, nullptr)) {
    return -1;
  }
  return static_cast<long>(done);
}

long UnbufferedFile::Read(std::byte* data, std::size_t size) {
  DWORD done = 0;
  if (handle_ == kClosed || size > static_cast<std::size_t>(LONG_MAX) ||
      !ReadFile(Native(handle_), data, static_cast<DWORD>(size), &done, nullptr)) {
    return -1;
  }
  return static_cast<long>(done);
}

bool UnbufferedFile::SeekToStart() {
  LARGE_INTEGER start{};
  return handle_ != kClosed && SetFilePointerEx(Native(handle_), start, nullptr, FILE_BEGIN) != 0;
}

void UnbufferedFile::Close() {
  if (handle_ != kClosed) CloseHandle(Native(std::exchange(handle_, kClosed)));
}

}  // namespace quorvane

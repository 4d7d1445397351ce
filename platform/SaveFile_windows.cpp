#include "platform/SaveFile.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/SaveFileSystem_internal.h"
#include "platform/SignalCleanup.h"
#include "platform/WindowsErrors_internal.h"

// Windows has no owners to keep, no shared sticky folders and no descriptor links: a regular
// file is replaced with ReplaceFileW (which keeps its attributes and security descriptor) or, when
// that cannot be done, MoveFileExW; a file marked read-only is refused; a console, pipe or other
// device is written in place; a file with more than one name is written in place; links are
// followed to the file they name.

namespace quorvane {

namespace {

namespace fs = std::filesystem;
using save_file::FolderOf;
using save_file::RegisteredName;

enum class Way { CreateNew, Replace, InPlace };

std::error_code LastReason() { return ReasonFromWindowsError(GetLastError()); }

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    const bool closed = !Valid() || CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

// Decides how `target` (links already followed) is written; an error when it must not be.
std::error_code Decide(const fs::path& target, Way& way) {
  // Opened, not asked for attributes: devices such as NUL or CON have none to give.
  Handle file(CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid()) {
    const DWORD error = GetLastError();
    // A missing folder is reported when the file is to be made in it.
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
      return ReasonFromWindowsError(error);
    way = Way::CreateNew;
    return {};
  }
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
    way = Way::InPlace;
    return {};
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file.Get(), &information)) return LastReason();
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::make_error_code(std::errc::is_a_directory);
  }
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return std::make_error_code(std::errc::permission_denied);
  }
  way = information.nNumberOfLinks > 1 ? Way::InPlace : Way::Replace;
  return {};
}

std::error_code Resolve(const fs::path& given, fs::path& target, Way& way) {
  const DWORD attributes = GetFileAttributesW(given.c_str());
  target = given;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    std::error_code error;
    target = fs::canonical(given, error);  // the file the link names
    if (error) return error;
  }
  return Decide(target, way);
}

std::error_code WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return LastReason();
    if (written == 0) return std::make_error_code(std::errc::io_error);
    bytes.remove_prefix(written);
  }
  return {};
}

std::error_code WriteInPlace(const fs::path& target, std::string_view bytes) {
  Handle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return LastReason();
  std::error_code failure = WriteAll(file.Get(), bytes);
  if (!failure && GetFileType(file.Get()) == FILE_TYPE_DISK &&
      (!SetEndOfFile(file.Get()) || !FlushFileBuffers(file.Get()))) {
    failure = LastReason();
  }
  if (!file.Close() && !failure) failure = LastReason();
  return failure;
}

// A new file under a short name ".qv" + six random characters in `folder`, registered for
// removal on Ctrl+C; an invalid handle with the reason in `failure` when none can be made.
HANDLE CreateTemporary(const fs::path& folder, fs::path& created, std::error_code& failure) {
  save_file::TemporaryNames names;
  for (int attempt = 0; attempt < save_file::TemporaryNames::kAttempts; ++attempt) {
    created = names.Next(folder);
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_SUCCESS;
    CreateRemovedOnSignal(RegisteredName(created).c_str(), [&] {
      file = CreateFileW(created.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
      error = GetLastError();
      return file == INVALID_HANDLE_VALUE ? -1 : 0;
    });
    if (file != INVALID_HANDLE_VALUE) return file;
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      failure = ReasonFromWindowsError(error);
      return INVALID_HANDLE_VALUE;
    }
  }
  failure = std::make_error_code(std::errc::file_exists);
  return INVALID_HANDLE_VALUE;
}

bool MoveIntoPlace(const fs::path& temporary, const fs::path& target, Way way) {
  if (way == Way::Replace &&
      ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                   REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                   nullptr)) {
    return true;
  }
  // A new file never takes the place of one that appeared meanwhile.
  const DWORD flags =
      MOVEFILE_WRITE_THROUGH | (way == Way::Replace ? MOVEFILE_REPLACE_EXISTING : 0);
  return MoveFileExW(temporary.c_str(), target.c_str(), flags) != 0;
}

std::error_code WriteAndRename(const fs::path& target, Way way, std::string_view bytes,
                               const save_file::SaveSteps& steps, bool& fallBack) {
  fs::path temporary;
  std::error_code failure;
  Handle file(CreateTemporary(FolderOf(target), temporary, failure));
  if (!file.Valid()) {
    fallBack = way == Way::Replace;  // a writable file in a folder that is not
    return failure;
  }
  failure = WriteAll(file.Get(), bytes);
  if (!failure && !FlushFileBuffers(file.Get())) failure = LastReason();
  if (!file.Close() && !failure) failure = LastReason();
  if (!failure && steps.beforeNaming) steps.beforeNaming();
  return save_file::MoveIntoPlaceOrRemove(temporary, failure, [&] {
    return MoveIntoPlace(temporary, target, way) ? std::error_code() : LastReason();
  });
}

}  // namespace

// Registered paths are UTF-8.
std::string save_file::RegisteredName(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool save_file::RemoveNamedFile(const fs::path& path) { return DeleteFileW(path.c_str()) != 0; }

// Windows has no unnamed files: steps.unnamed changes nothing.
std::error_code save_file::SaveFileContentsWith(const fs::path& path, std::string_view bytes,
                                                const SaveSteps& steps) {
  fs::path target;
  Way way = Way::CreateNew;
  if (const std::error_code refused = Resolve(path, target, way)) return refused;
  if (way == Way::InPlace) return WriteInPlace(target, bytes);
  bool fallBack = false;
  const std::error_code failure = WriteAndRename(target, way, bytes, steps, fallBack);
  return fallBack ? WriteInPlace(target, bytes) : failure;
}

std::error_code CheckSaveTarget(const fs::path& path) {
  fs::path target;
  Way way = Way::CreateNew;
  if (const std::error_code refused = Resolve(path, target, way)) return refused;
  if (way != Way::CreateNew) return {};
  const DWORD folder = GetFileAttributesW(FolderOf(target).c_str());
  if (folder == INVALID_FILE_ATTRIBUTES) return LastReason();
  if ((folder & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return std::make_error_code(std::errc::not_a_directory);
  return {};
}

}  // namespace quorvane

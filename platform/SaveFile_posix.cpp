#include "platform/SaveFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include "platform/SaveFileSystem_internal.h"
#include "platform/SignalCleanup.h"

namespace quorvane {

namespace {

namespace fs = std::filesystem;
using save_file::FolderOf;

constexpr long kProcSuperMagic = 0x9fa0;
constexpr int kMostLinks = 40;  // as many as the system itself follows
constexpr long kNoOwner = -2;   // the owner of a folder that cannot be examined

std::error_code Reason(int error) { return {error, std::system_category()}; }

// How the resolved target is written.
enum class Way { CreateNew, Replace, InPlace };

struct Target {
  fs::path path;  // the file itself, links followed
  Way way = Way::CreateNew;
  struct stat info {};                 // the file's status when it exists
  bool throughDescriptorLink = false;  // reached through /proc (e.g. /dev/stdout)
};

// The owner of the folder of `path` when that folder is sticky and everyone may write to it
// (like /tmp), where anyone may have placed a name; -1 for any other folder. A folder that
// cannot be examined counts as such a folder owned by nobody.
long SharedFolderOwner(const fs::path& path) {
  struct stat folder {};
  if (stat(FolderOf(path).c_str(), &folder) != 0) return kNoOwner;
  const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  return shared ? static_cast<long>(folder.st_uid) : -1;
}

// Whether a name owned by `owner` in the folder of `path` may have been placed there by someone
// else, for the user to follow or write into: it lies in a shared sticky folder and belongs
// neither to the folder's owner nor to the user (the system's protected-links and
// protected-files rules).
bool PlacedByOthers(const fs::path& path, uid_t owner) {
  const long folderOwner = SharedFolderOwner(path);
  return folderOwner != -1 && static_cast<long>(owner) != folderOwner && owner != geteuid();
}

bool IsInProc(const fs::path& path) {
  struct statfs info {};
  return statfs(FolderOf(path).c_str(), &info) == 0 &&
         static_cast<long>(info.f_type) == kProcSuperMagic;
}

// A regular file the user may write to. The superuser passes every permission check, so for
// it a file without any write bit counts as read-only.
std::error_code MayWrite(const Target& target) {
  if (geteuid() == 0 && (target.info.st_mode & 0222) == 0) return Reason(EACCES);
  if (faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0) return Reason(errno);
  return {};
}

// Follows `given` link by link to the file it names and decides how that file is written.
std::error_code Resolve(const fs::path& given, Target& target) {
  target.path = given;
  for (int hop = 0;; ++hop) {
    struct stat linkInfo {};
    if (lstat(target.path.c_str(), &linkInfo) != 0) {
      if (errno != ENOENT) return Reason(errno);
      target.way = Way::CreateNew;
      return {};
    }
    if (!S_ISLNK(linkInfo.st_mode)) break;
    if (hop == kMostLinks) return Reason(ELOOP);
    // The protected-links rule: a link placed by others is not followed.
    if (PlacedByOthers(target.path, linkInfo.st_uid)) return Reason(EACCES);
    // A descriptor's link in /proc names no path that could be replaced: the system opens it.
    if (IsInProc(target.path)) {
      target.throughDescriptorLink = true;
      break;
    }
    char named[PATH_MAX];
    const ssize_t length = readlink(target.path.c_str(), named, sizeof named);
    if (length < 0) return Reason(errno);
    if (static_cast<std::size_t>(length) == sizeof named) return Reason(ENAMETOOLONG);
    const fs::path next(std::string(named, static_cast<std::size_t>(length)));
    target.path = next.is_absolute() ? next : FolderOf(target.path) / next;
  }
  if (stat(target.path.c_str(), &target.info) != 0) return Reason(errno);
  if (S_ISDIR(target.info.st_mode)) return Reason(EISDIR);
  if (!S_ISREG(target.info.st_mode) || target.throughDescriptorLink) {
    target.way = Way::InPlace;
    return {};
  }
  if (const std::error_code refused = MayWrite(target)) return refused;
  // In a shared sticky folder a file placed by others, or one with another name (a hard link
  // anyone may have made to a file of their choosing), may be a trap set for the user.
  if (PlacedByOthers(target.path, target.info.st_uid) ||
      (target.info.st_nlink > 1 && SharedFolderOwner(target.path) != -1)) {
    return Reason(EACCES);
  }
  target.way = target.info.st_nlink > 1 ? Way::InPlace : Way::Replace;
  return {};
}

std::error_code WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return Reason(errno);
    }
    if (written == 0) return Reason(EIO);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

// Closes `fd` and reports the first failure of the write and the close.
std::error_code Close(int fd, std::error_code failure) {
  if (close(fd) != 0 && !failure) failure = Reason(errno);
  return failure;
}

// A temporary file in `folder` under a short name no other file has, registered for removal on
// a signal. -1 with errno set when it cannot be made.
int CreateTemporary(const fs::path& folder, mode_t mode, fs::path& created) {
  save_file::TemporaryNames names;
  for (int attempt = 0; attempt < save_file::TemporaryNames::kAttempts; ++attempt) {
    created = names.Next(folder);
    const int fd = CreateRemovedOnSignal(created.c_str(), [&] {
      return open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    });
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Writes `bytes` over the file's old contents through its own name, cutting it to their length
// where it is a regular file. Never creates anything.
std::error_code WriteInPlace(const Target& target, std::string_view bytes) {
  // Not blocking in the open: a named pipe without a reader is refused instead of waited for.
  int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK;
  if (!target.throughDescriptorLink) flags |= O_NOFOLLOW;
  const int fd = open(target.path.c_str(), flags);
  if (fd < 0) return Reason(errno);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  struct stat opened {};
  std::error_code failure = fstat(fd, &opened) == 0 ? std::error_code() : Reason(errno);
  if (!failure) failure = WriteAll(fd, bytes);
  if (!failure && S_ISREG(opened.st_mode)) {
    if (ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || fsync(fd) != 0)
      failure = Reason(errno);
  }
  return Close(fd, failure);
}

// Moves the temporary file to the target's name; a new file never takes the place of one that
// appeared meanwhile.
bool MoveIntoPlace(const fs::path& temporary, const Target& target) {
  if (target.way == Way::Replace) return rename(temporary.c_str(), target.path.c_str()) == 0;
  if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.path.c_str(), RENAME_NOREPLACE) ==
      0) {
    return true;
  }
  // Filesystems without the no-replace form: a hard link fails on an existing name as well.
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (link(temporary.c_str(), target.path.c_str()) != 0) return false;
  unlink(temporary.c_str());
  return true;
}

// Gives a new file `fd` what the file it replaces has (owner, group, permission bits), then
// writes `bytes` into it and flushes them. `fallBack` is set when the owner or group cannot be
// given (nothing was written then: the target must be written in place).
std::error_code FillNewFile(int fd, const Target& target, std::string_view bytes, bool& fallBack) {
  if (target.way == Way::Replace) {
    struct stat made {};
    const bool sameOwners = fstat(fd, &made) == 0 && made.st_uid == target.info.st_uid &&
                            made.st_gid == target.info.st_gid;
    if (!sameOwners && fchown(fd, target.info.st_uid, target.info.st_gid) != 0) {
      fallBack = true;
      return Reason(EPERM);
    }
    // After the owner: a change of owner clears the set-id bits.
    if (fchmod(fd, target.info.st_mode & 07777) != 0) return Reason(errno);
  }
  if (const std::error_code failure = WriteAll(fd, bytes)) return failure;
  if (fsync(fd) != 0) return Reason(errno);
  return {};
}

// The link in /proc through which the open file `fd` can be given a name.
std::string DescriptorLink(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// A file without a name in `folder`, which DescriptorLink can name later; -1 with errno set
// when it cannot be made. EOPNOTSUPP, EISDIR (kernels without O_TMPFILE) and EINVAL mean that
// there are no such files here; so does a system without /proc.
int CreateUnnamed(const fs::path& folder, mode_t mode) {
  const int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd < 0) return -1;
  struct stat named {};
  if (lstat(DescriptorLink(fd).c_str(), &named) != 0) {
    close(fd);
    errno = EOPNOTSUPP;
    return -1;
  }
  return fd;
}

bool NoUnnamedFiles(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

// Gives the unnamed file `fd` the name `name`; fails (EEXIST) when the name is taken.
bool Name(int fd, const fs::path& name) {
  const std::string link = DescriptorLink(fd);
  return linkat(AT_FDCWD, link.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Puts the complete unnamed file `fd` in the target's place: a new file straight under the
// target's name (never over a name that appeared meanwhile); a replacement under a short
// temporary name, registered for removal on a signal, renamed over the target at once.
std::error_code NameInPlace(int fd, const Target& target) {
  if (target.way != Way::Replace) return Name(fd, target.path) ? std::error_code() : Reason(errno);
  save_file::TemporaryNames names;
  for (int attempt = 0; attempt < save_file::TemporaryNames::kAttempts; ++attempt) {
    const fs::path temporary = names.Next(FolderOf(target.path));
    const int named =
        CreateRemovedOnSignal(temporary.c_str(), [&] { return Name(fd, temporary) ? 0 : -1; });
    if (named == 0) {
      return save_file::MoveIntoPlaceOrRemove(temporary, {}, [&] {
        return MoveIntoPlace(temporary, target) ? std::error_code() : Reason(errno);
      });
    }
    if (errno != EEXIST) return Reason(errno);
  }
  return Reason(EEXIST);
}

// Writes a new file under a temporary name and renames it over the target. `fallBack` is set
// when the target must be written in place instead (nothing was changed then).
std::error_code WriteAndRename(const Target& target, std::string_view bytes,
                               const save_file::SaveSteps& steps, bool& fallBack) {
  fs::path temporary;
  const int fd =
      CreateTemporary(FolderOf(target.path), target.way == Way::Replace ? 0600 : 0666, temporary);
  if (fd < 0) {
    fallBack = target.way == Way::Replace;  // a writable file in a folder that is not
    return Reason(errno);
  }
  const std::error_code failure = Close(fd, FillNewFile(fd, target, bytes, fallBack));
  if (!failure && steps.beforeNaming) steps.beforeNaming();
  return save_file::MoveIntoPlaceOrRemove(temporary, failure, [&] {
    return MoveIntoPlace(temporary, target) ? std::error_code() : Reason(errno);
  });
}

// Writes a new file for the target, unnamed where the filesystem allows, and puts it in place.
std::error_code WriteNewFile(const Target& target, std::string_view bytes,
                             const save_file::SaveSteps& steps, bool& fallBack) {
  if (!steps.unnamed) return WriteAndRename(target, bytes, steps, fallBack);
  const int fd = CreateUnnamed(FolderOf(target.path), target.way == Way::Replace ? 0600 : 0666);
  if (fd < 0) {
    if (NoUnnamedFiles(errno)) return WriteAndRename(target, bytes, steps, fallBack);
    fallBack = target.way == Way::Replace;  // a writable file in a folder that is not
    return Reason(errno);
  }
  std::error_code failure = FillNewFile(fd, target, bytes, fallBack);
  if (!failure && steps.beforeNaming) steps.beforeNaming();
  if (!failure) failure = NameInPlace(fd, target);
  return Close(fd, failure);
}

}  // namespace

std::string save_file::RegisteredName(const fs::path& path) { return path.native(); }

bool save_file::RemoveNamedFile(const fs::path& path) { return unlink(path.c_str()) == 0; }

std::error_code save_file::SaveFileContentsWith(const fs::path& path, std::string_view bytes,
                                                const SaveSteps& steps) {
  Target target;
  if (const std::error_code refused = Resolve(path, target)) return refused;
  if (target.way == Way::InPlace) return WriteInPlace(target, bytes);
  bool fallBack = false;
  const std::error_code failure = WriteNewFile(target, bytes, steps, fallBack);
  return fallBack ? WriteInPlace(target, bytes) : failure;
}

std::error_code CheckSaveTarget(const fs::path& path) {
  Target target;
  if (const std::error_code refused = Resolve(path, target)) return refused;
  switch (target.way) {
    case Way::CreateNew:
      if (faccessat(AT_FDCWD, FolderOf(target.path).c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        return Reason(errno);
      }
      return {};
    case Way::Replace:
      return {};  // MayWrite passed; a folder that is not writable means writing in place
    case Way::InPlace:
      if (faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0) return Reason(errno);
      return {};
  }
  return {};
}

}  // namespace quorvane

// Writing a whole file for Save and Export without destroying what is already at the target.
//  - A new file is made as a file without a name in the target's folder (Linux's O_TMPFILE),
//    written, flushed and only then linked to the target's name, which fails if the name was
//    taken meanwhile. A process killed before (even by SIGKILL) leaves nothing behind. Where the
//    filesystem has no unnamed files, a short-named temporary file (".qv" and six random
//    characters, created exclusively, never through a link) is written, flushed and renamed to
//    the target's name instead; a SIGKILL can leave that one behind.
//  - An existing regular file is replaced the same way (atomically: it holds its old or its new
//    contents, never a mix) when that keeps what the user had; the replacement gets the file's
//    owner, group and permission bits. An unnamed replacement is linked to a short temporary name
//    and at once renamed over the file: only that instant (registered for removal on a signal)
//    can leave a temporary name behind. It is written in place instead when it has more than one
//    name (hard links), when its owner or group cannot be given to a new file, or when no
//    temporary file can be made in its folder. A file the user may not write to is refused
//    (for the superuser: a file without any write permission bit).
//  - Anything else that exists (device, named pipe, socket, a descriptor link such as
//    /dev/stdout) is opened for writing and written in place, never created or replaced.
//  - Symbolic links are followed to the file they name, which is written or replaced; the link
//    stays. A link in a sticky folder that everyone may write to is followed only when its owner
//    is the folder's owner or the user (what the system's protected-links rule allows), so a
//    link that someone else placed in /tmp never points a save at a file of their choosing. For
//    the same reason a regular file there is refused when it belongs to neither of them or has
//    another name (a hard link to it may have been made by anyone).
// A failure leaves a replaced file as it was and no temporary file behind; while the temporary
// file exists it is registered for removal on the signals that end the program (SignalCleanup.h).
// Threads: any thread may call these, several at once for different targets (each save has a
// temporary file of its own); the caller holds no lock. SaveFileContents blocks while it writes,
// flushes and names the file, as long as the filesystem takes; writing to a pipe or device blocks
// as the system's write does, but a named pipe without a reader is refused at once instead of
// waited for. CheckSaveTarget only looks and does not block beyond that. For the removal on a
// signal, the front end installs the handler first (RemoveRegisteredFilesOnSignal).
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace quorvane {

// Writes `bytes` as the whole contents of `path` as described above. No error on success;
// otherwise the system's reason (permission denied, no space left, ...).
std::error_code SaveFileContents(const std::filesystem::path& path, std::string_view bytes);

// Whether SaveFileContents could write `path` now, decided without creating, opening or
// changing anything: the same rules for links, special files and permissions.
std::error_code CheckSaveTarget(const std::filesystem::path& path);

}  // namespace quorvane

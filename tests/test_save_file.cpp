// Saving without destroying what is at the target: new and replaced files, devices, named pipes,
// descriptor links, read-only files, other users' files, hard and symbolic links, the check made
// before a run, and the removal of registered files when the process is stopped by a signal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "platform/SaveFile.h"
#include "platform/SignalCleanup.h"
#include "tests/temp_folder.h"

namespace quorvane {
namespace {

using test_support::TempFolder;

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
const std::string kOld = "old contents\r\n";
const std::string kNew = "new contents, longer than the old\r\n";

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& bytes, mode_t mode = 0644) {
  { std::ofstream(path, std::ios::binary) << bytes; }
  chmod(path.c_str(), mode);
}

struct stat StatOf(const fs::path& path) {
  struct stat info {};
  lstat(path.c_str(), &info);
  return info;
}

// Runs `body` in a child process, as the unprivileged user when `asNobody` (the test runs as
// root then); the child's exit status, or -1 when it did not exit normally.
int InChild(bool asNobody, const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    if (asNobody && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(90);
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SaveFile, NewAndReplacedFilesAreWholeKeepTheirModeAndLeaveNoTemporaryFile) {
  TempFolder folder;
  // A name near the system's 255-byte limit: the temporary name does not grow with it.
  const fs::path path = folder.path() / std::string(250, 'n');
  ASSERT_FALSE(SaveFileContents(path, kOld));
  EXPECT_EQ(Read(path), kOld);
  Write(path, kOld, 0640);
  ASSERT_FALSE(SaveFileContents(path, kNew));
  EXPECT_EQ(Read(path), kNew);
  EXPECT_EQ(StatOf(path).st_mode & 07777, 0640u);
  EXPECT_EQ(folder.EntryCount(), 1u);

  // What cannot be saved: the error names the reason and nothing is created.
  EXPECT_EQ(SaveFileContents(folder / "missing/x", kNew), std::errc::no_such_file_or_directory);
  EXPECT_EQ(CheckSaveTarget(folder / "missing/x"), std::errc::no_such_file_or_directory);
  EXPECT_EQ(SaveFileContents(folder.path(), kNew), std::errc::is_a_directory);
  EXPECT_FALSE(CheckSaveTarget(folder / "new"));
  EXPECT_FALSE(CheckSaveTarget(path));
  EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(SaveFile, DevicesAndNamedPipesAreWrittenInPlaceNeverReplaced) {
  TempFolder folder;
  // Device nodes of our own, made where the system lets us (as root).
  const fs::path null = folder / "null";
  const fs::path full = folder / "full";
  if (mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 &&
      mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
    EXPECT_FALSE(CheckSaveTarget(null));
    EXPECT_FALSE(SaveFileContents(null, kNew));
    EXPECT_TRUE(S_ISCHR(StatOf(null).st_mode));
    EXPECT_EQ(SaveFileContents(full, kNew), std::errc::no_space_on_device);
    EXPECT_TRUE(S_ISCHR(StatOf(full).st_mode));
  } else {
    std::cout << "[  SKIPPED ] device nodes: mknod is not permitted here (not root)\n";
  }

  // A named pipe: its reader gets the bytes; without a reader the save fails at once.
  const fs::path pipe = folder / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(SaveFileContents(pipe, kNew), std::errc::no_such_device_or_address);
  const int readEnd = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(readEnd, 0);
  std::string received;
  std::thread reader([&] {
    fcntl(readEnd, F_SETFL, 0);
    char buffer[64];
    // The writer may not have opened yet: an early end is waited out until the bytes came.
    while (received.size() < kNew.size()) {
      const ssize_t got = read(readEnd, buffer, sizeof buffer);
      if (got < 0) break;
      if (got == 0) std::this_thread::yield();
      received.append(buffer, static_cast<std::size_t>(got));
    }
  });
  EXPECT_FALSE(SaveFileContents(pipe, kNew));
  reader.join();
  close(readEnd);
  EXPECT_EQ(received, kNew);
  EXPECT_TRUE(S_ISFIFO(StatOf(pipe).st_mode));
}

TEST(SaveFile, DevStdoutReachesTheProcessesOwnOutputWhateverItIs) {
  TempFolder folder;
  // Standard output a pipe: the bytes arrive there.
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  const int status = InChild(false, [&] {
    close(channel[0]);
    dup2(channel[1], STDOUT_FILENO);
    return SaveFileContents("/dev/stdout", kNew) ? 1 : 0;
  });
  close(channel[1]);
  std::string piped;
  char buffer[128];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) piped.append(buffer, static_cast<std::size_t>(got));
  close(channel[0]);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(piped, kNew);
  EXPECT_TRUE(fs::is_symlink("/dev/stdout"));

  // Standard output a file: it is written, not replaced (same inode).
  const fs::path out = folder / "out.txt";
  Write(out, "");
  const ino_t inode = StatOf(out).st_ino;
  EXPECT_EQ(InChild(false, [&] {
              const int fd = open(out.c_str(), O_WRONLY);
              dup2(fd, STDOUT_FILENO);
              return SaveFileContents("/dev/stdout", kNew) ? 1 : 0;
            }),
            0);
  EXPECT_EQ(Read(out), kNew);
  EXPECT_EQ(StatOf(out).st_ino, inode);
  EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(SaveFile, HardLinksAndOwnSymlinksKeepEveryNameAndTheTargetsMode) {
  TempFolder folder;
  const fs::path first = folder / "first";
  const fs::path second = folder / "second";
  Write(first, kOld);
  fs::create_hard_link(first, second);
  ASSERT_FALSE(SaveFileContents(second, kNew));
  EXPECT_EQ(Read(first), kNew);
  EXPECT_EQ(StatOf(first).st_nlink, 2u);

  const fs::path target = folder / "target";
  const fs::path link = folder / "link";
  Write(target, kOld, 0600);
  fs::create_symlink("target", link);  // relative, as users make them
  ASSERT_FALSE(SaveFileContents(link, kNew));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Read(target), kNew);
  EXPECT_EQ(StatOf(target).st_mode & 07777, 0600u);
  // A link to a file not yet there makes the file.
  fs::create_symlink("later", folder / "dangling");
  ASSERT_FALSE(SaveFileContents(folder / "dangling", kNew));
  EXPECT_EQ(Read(folder / "later"), kNew);
  EXPECT_EQ(folder.EntryCount(), 6u);
}

TEST(SaveFile, ReadOnlyAndOtherUsersFilesKeepContentsOwnerAndGroup) {
  TempFolder folder;
  const fs::path readOnly = folder / "read-only";
  Write(readOnly, kOld, 0444);
  EXPECT_EQ(CheckSaveTarget(readOnly), std::errc::permission_denied);
  EXPECT_EQ(SaveFileContents(readOnly, kNew), std::errc::permission_denied);
  EXPECT_EQ(Read(readOnly), kOld);
  EXPECT_EQ(folder.EntryCount(), 1u);
  if (geteuid() != 0) GTEST_SKIP() << "other users' files need root to set up";

  // Root saves a file of another user: the file stays theirs.
  chmod(folder.path().c_str(), 0777);
  const fs::path theirs = folder / "theirs";
  Write(theirs, kOld, 0664);
  ASSERT_EQ(chown(theirs.c_str(), kNobody, kNobody), 0);
  ASSERT_FALSE(SaveFileContents(theirs, kNew));
  EXPECT_EQ(Read(theirs), kNew);
  EXPECT_EQ(StatOf(theirs).st_uid, kNobody);
  EXPECT_EQ(StatOf(theirs).st_gid, kNobody);

  // An unprivileged user: root's file it may write cannot become its own, so it is written in
  // place; one it may not write is refused, also by the check.
  const fs::path shared = folder / "shared";
  const fs::path rootOnly = folder / "root-only";
  Write(shared, kOld, 0666);
  Write(rootOnly, kOld, 0644);
  EXPECT_EQ(InChild(true, [&] {
              if (SaveFileContents(shared, kNew)) return 1;
              if (SaveFileContents(rootOnly, kNew) != std::errc::permission_denied) return 2;
              return CheckSaveTarget(rootOnly) == std::errc::permission_denied ? 0 : 3;
            }),
            0);
  EXPECT_EQ(Read(shared), kNew);
  EXPECT_EQ(StatOf(shared).st_uid, 0u);
  EXPECT_EQ(Read(rootOnly), kOld);

  // A writable file in a folder the user cannot write: written in place; a new file there is
  // refused by the check before anything is made.
  const fs::path closed = folder / "closed";
  fs::create_directory(closed);
  chmod(closed.c_str(), 0755);
  Write(closed / "open", kOld, 0666);
  EXPECT_EQ(InChild(true, [&] {
              if (SaveFileContents(closed / "open", kNew)) return 1;
              return CheckSaveTarget(closed / "new") == std::errc::permission_denied ? 0 : 2;
            }),
            0);
  EXPECT_EQ(Read(closed / "open"), kNew);
  EXPECT_EQ(folder.EntryCount(), 5u);
}

TEST(SaveFile, NamesSomeoneElsePlacedInASharedStickyFolderAreNotFollowedOrWritten) {
  if (geteuid() != 0) GTEST_SKIP() << "a link of another user needs root to set up";
  TempFolder folder;
  const fs::path shared = folder / "shared";  // like /tmp
  fs::create_directory(shared);
  chmod(shared.c_str(), 01777);
  const fs::path victim = folder / "victim";
  Write(victim, kOld, 0644);
  const fs::path trap = shared / "out.qv3";
  fs::create_symlink(victim, trap);
  ASSERT_EQ(lchown(trap.c_str(), kNobody, kNobody), 0);
  EXPECT_EQ(CheckSaveTarget(trap), std::errc::permission_denied);
  EXPECT_EQ(SaveFileContents(trap, kNew), std::errc::permission_denied);
  EXPECT_EQ(Read(victim), kOld);
  EXPECT_TRUE(fs::is_symlink(trap));
  // Nor is a file placed there by another user written, or a hard link to a file elsewhere.
  fs::remove(trap);
  Write(trap, kOld);
  ASSERT_EQ(chown(trap.c_str(), kNobody, kNobody), 0);
  EXPECT_EQ(SaveFileContents(trap, kNew), std::errc::permission_denied);
  EXPECT_EQ(Read(trap), kOld);
  fs::remove(trap);
  fs::create_hard_link(victim, trap);
  EXPECT_EQ(SaveFileContents(trap, kNew), std::errc::permission_denied);
  EXPECT_EQ(Read(victim), kOld);
  fs::remove(trap);
  fs::create_symlink(victim, trap);
  // The same link owned by the user is the user's own choice.
  ASSERT_EQ(lchown(trap.c_str(), 0, 0), 0);
  EXPECT_FALSE(SaveFileContents(trap, kNew));
  EXPECT_EQ(Read(victim), kNew);
}

TEST(SignalCleanup, SigintAndSigtermRemoveRegisteredFilesAndExitWith128PlusTheSignal) {
  TempFolder folder;
  const fs::path kept = folder / "released";
  for (const int signal : {SIGINT, SIGTERM}) {
    const fs::path path = folder / "registered";
    const int status = InChild(false, [&] {
      RemoveRegisteredFilesOnSignal();
      const int fd = CreateRemovedOnSignal(path.c_str(), [&] {
        return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
      });
      const int other = CreateRemovedOnSignal(kept.c_str(), [&] {
        return open(kept.c_str(), O_WRONLY | O_CREAT, 0600);
      });
      // Released by a rename that failed: still registered; by one that worked: not any more.
      if (fd < 0 || other < 0 || ReleaseRemovedOnSignal(path.c_str(), [] { return false; })) return 1;
      if (!ReleaseRemovedOnSignal(kept.c_str(), [] { return true; }) || IsRemovedOnSignal(kept.c_str())) return 2;
      raise(signal);
      return 3;
    });
    EXPECT_EQ(status, 128 + signal);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::exists(kept));
  }
}

}  // namespace
}  // namespace quorvane

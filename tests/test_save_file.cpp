// Saving without destroying what is at the target: new and replaced files, devices, named pipes,
// descriptor links, read-only files, other users' files, hard and symbolic links, the check made
// before a run, and the removal of registered files when the process is stopped by a signal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <tuple>

#include "platform/SaveFile.h"
#include "platform/SaveFileSystem_internal.h"
#include "platform/SignalCleanup.h"
#include "tests/temp_folder.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test_support::FileBytes;
using test_support::TempFolder;

constexpr uid_t kNobody = 65534;
const std::string kOld = "old contents\r\n";
const std::string kNew = "new contents, longer than the old\r\n";

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
    if (asNobody && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
      _exit(90);
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SaveFile, NewReplacedAndLinkedFilesAreWholeKeepTheirModeAndLeaveNoTemporaryFile) {
  TempFolder folder;
  // A name near the system's 255-byte limit: the temporary name does not grow with it.
  const fs::path path = folder.path() / std::string(250, 'n');
  ASSERT_FALSE(SaveFileContents(path, kOld));
  Write(path, kOld, 0640);
  ASSERT_FALSE(SaveFileContents(path, kNew));
  EXPECT_EQ(FileBytes(path), kNew);
  EXPECT_EQ(StatOf(path).st_mode & 07777, 0640u);
  EXPECT_FALSE(CheckSaveTarget(folder / "new"));
  EXPECT_FALSE(CheckSaveTarget(path));
  // What cannot be saved: the error names the reason and nothing is created.
  EXPECT_EQ(SaveFileContents(folder / "missing/x", kNew), std::errc::no_such_file_or_directory);
  EXPECT_EQ(SaveFileContents(folder.path(), kNew), std::errc::is_a_directory);
  // A hard link keeps both names; a link of the user's keeps the link and the target's mode; a
  // link to a file not yet there makes the file.
  fs::create_hard_link(path, folder / "second");
  ASSERT_FALSE(SaveFileContents(folder / "second", kOld));
  EXPECT_EQ(FileBytes(path), kOld);
  Write(folder / "target", kOld, 0600);
  fs::create_symlink("target", folder / "link");  // relative, as users make them
  ASSERT_FALSE(SaveFileContents(folder / "link", kNew));
  EXPECT_TRUE(fs::is_symlink(folder / "link"));
  EXPECT_EQ(FileBytes(folder / "target"), kNew);
  EXPECT_EQ(StatOf(folder / "target").st_mode & 07777, 0600u);
  fs::create_symlink("later", folder / "dangling");
  ASSERT_FALSE(SaveFileContents(folder / "dangling", kNew));
  EXPECT_EQ(FileBytes(folder / "later"), kNew);
  EXPECT_EQ(folder.EntryCount(), 6u);
}

TEST(SaveFile, DevicesPipesAndDevStdoutAreWrittenInPlaceNeverReplaced) {
  TempFolder folder;
  const bool root = geteuid() == 0;
  if (root) {  // device nodes of our own
    const fs::path null = folder / "null", full = folder / "full";
    ASSERT_EQ(mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    EXPECT_FALSE(CheckSaveTarget(null));
    EXPECT_FALSE(SaveFileContents(null, kNew));
    EXPECT_EQ(SaveFileContents(full, kNew), std::errc::no_space_on_device);
    EXPECT_TRUE(S_ISCHR(StatOf(null).st_mode) && S_ISCHR(StatOf(full).st_mode));
  }

  // A named pipe with a reader: the reader gets the bytes.
  const fs::path pipe = folder / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const int readEnd = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(readEnd, 0);
  std::string received;
  std::thread reader([&] {
    fcntl(readEnd, F_SETFL, 0);
    char buffer[64];
    // The writer may not have opened yet: an early end is waited out until the bytes came.
    for (ssize_t got = 0; received.size() < kNew.size() && got >= 0;) {
      got = read(readEnd, buffer, sizeof buffer);
      if (got > 0) received.append(buffer, static_cast<std::size_t>(got));
    }
  });
  EXPECT_FALSE(SaveFileContents(pipe, kNew));
  reader.join();
  close(readEnd);
  EXPECT_EQ(received, kNew);
  EXPECT_TRUE(S_ISFIFO(StatOf(pipe).st_mode));

  // /dev/stdout, a descriptor's link in /proc, as a file: written, not replaced (same inode).
  const fs::path out = folder / "out.txt";
  Write(out, "");
  const ino_t inode = StatOf(out).st_ino;
  EXPECT_EQ(InChild(false,
                    [&] {
                      dup2(open(out.c_str(), O_WRONLY), STDOUT_FILENO);
                      return SaveFileContents("/dev/stdout", kNew) ? 1 : 0;
                    }),
            0);
  EXPECT_EQ(FileBytes(out), kNew);
  EXPECT_EQ(StatOf(out).st_ino, inode);
  EXPECT_EQ(folder.EntryCount(), root ? 4u : 2u);
}

TEST(SaveFile, ReadOnlyAndOtherUsersFilesKeepContentsOwnerAndGroup) {
  TempFolder folder;
  const fs::path readOnly = folder / "read-only";
  Write(readOnly, kOld, 0444);
  EXPECT_EQ(CheckSaveTarget(readOnly), std::errc::permission_denied);
  EXPECT_EQ(SaveFileContents(readOnly, kNew), std::errc::permission_denied);
  EXPECT_EQ(FileBytes(readOnly), kOld);
  if (geteuid() != 0) GTEST_SKIP() << "other users' files need root to set up";

  // Root saves a file of another user: the file stays theirs.
  chmod(folder.path().c_str(), 0777);
  const fs::path theirs = folder / "theirs";
  Write(theirs, kOld, 0664);
  ASSERT_EQ(chown(theirs.c_str(), kNobody, kNobody), 0);
  ASSERT_FALSE(SaveFileContents(theirs, kNew));
  EXPECT_EQ(FileBytes(theirs), kNew);
  EXPECT_EQ(std::pair(StatOf(theirs).st_uid, StatOf(theirs).st_gid), std::pair(kNobody, kNobody));

  // An unprivileged user: root's file it may write cannot become its own, so it is written in
  // place; one it may not write is refused, also by the check; in a folder it cannot write, a
  // writable file is written in place and a new file refused by the check.
  const fs::path shared = folder / "shared", rootOnly = folder / "root-only",
                 closed = folder / "closed";
  Write(shared, kOld, 0666);
  Write(rootOnly, kOld, 0644);
  fs::create_directory(closed);
  chmod(closed.c_str(), 0755);
  Write(closed / "open", kOld, 0666);
  EXPECT_EQ(InChild(true,
                    [&] {
                      if (SaveFileContents(shared, kNew) || SaveFileContents(closed / "open", kNew))
                        return 1;
                      if (SaveFileContents(rootOnly, kNew) != std::errc::permission_denied)
                        return 2;
                      if (CheckSaveTarget(closed / "new") != std::errc::permission_denied) return 3;
                      return CheckSaveTarget(rootOnly) == std::errc::permission_denied ? 0 : 4;
                    }),
            0);
  EXPECT_EQ(FileBytes(shared) + FileBytes(closed / "open") + FileBytes(rootOnly),
            kNew + kNew + kOld);
  EXPECT_EQ(StatOf(shared).st_uid, 0u);
  EXPECT_EQ(folder.EntryCount(), 5u);
}

TEST(SaveFile, NamesSomeoneElsePlacedInASharedStickyFolderAreNotFollowedOrWritten) {
  if (geteuid() != 0) GTEST_SKIP() << "a link of another user needs root to set up";
  TempFolder folder;
  const fs::path shared = folder / "shared";  // like /tmp
  fs::create_directory(shared);
  chmod(shared.c_str(), 01777);
  const fs::path victim = folder / "victim", trap = shared / "out.qv3";
  Write(victim, kOld, 0644);
  // Another user's link, another user's file, and a hard link to a file elsewhere.
  for (int kind = 0; kind < 3; ++kind) {
    SCOPED_TRACE(kind);
    if (kind == 0) fs::create_symlink(victim, trap);
    if (kind == 1) Write(trap, kOld);
    if (kind == 2) fs::create_hard_link(victim, trap);
    ASSERT_TRUE(kind == 2 || lchown(trap.c_str(), kNobody, kNobody) == 0);
    EXPECT_TRUE(kind != 0 || CheckSaveTarget(trap) == std::errc::permission_denied);
    EXPECT_EQ(SaveFileContents(trap, kNew), std::errc::permission_denied);
    EXPECT_EQ(FileBytes(victim) + FileBytes(trap), kOld + kOld);
    EXPECT_EQ(fs::is_symlink(trap), kind == 0);
    fs::remove(trap);
  }
  // The same link owned by the user is the user's own choice.
  fs::create_symlink(victim, trap);
  EXPECT_FALSE(SaveFileContents(trap, kNew));
  EXPECT_EQ(FileBytes(victim), kNew);
}

// Whether files without a name (O_TMPFILE) can be made in `folder`.
bool TakesUnnamedFiles(const fs::path& folder) {
  const int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  close(fd);
  return true;
}

// Both ways of writing a new file (unnamed where the filesystem allows, and through a named
// temporary file): whole, with the replaced file's mode and owner, no temporary file left, and a
// name that appeared while the file was written is never replaced.
TEST(SaveFile, UnnamedAndNamedTemporaryFilesReplaceWholeAndNeverTakeANameThatAppeared) {
  TempFolder folder;
  const fs::path path = folder / "file.qv3";
  for (const bool unnamed : {true, false}) {
    SCOPED_TRACE(unnamed);
    save_file::SaveSteps steps;
    steps.unnamed = unnamed;
    ASSERT_FALSE(save_file::SaveFileContentsWith(path, kOld, steps));
    chmod(path.c_str(), 0604);
    if (geteuid() == 0) {
      ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
    }
    const struct stat before = StatOf(path);
    ASSERT_FALSE(save_file::SaveFileContentsWith(path, kNew, steps));
    EXPECT_EQ(FileBytes(path), kNew);
    EXPECT_NE(StatOf(path).st_ino, before.st_ino) << "replaced, not written in place";
    EXPECT_EQ(std::tuple(StatOf(path).st_mode, StatOf(path).st_uid, StatOf(path).st_gid),
              std::tuple(before.st_mode, before.st_uid, before.st_gid));
    // A write that fails part way (a file size limit) leaves the old file and nothing else.
    EXPECT_EQ(InChild(false,
                      [&] {
                        signal(SIGXFSZ, SIG_IGN);
                        const rlimit limit{1024, 1024};
                        setrlimit(RLIMIT_FSIZE, &limit);
                        const std::error_code failure =
                            save_file::SaveFileContentsWith(path, std::string(4096, 'x'), steps);
                        return failure == std::errc::file_too_large ? 0 : 1;
                      }),
              0);
    EXPECT_EQ(FileBytes(path), kNew);
    EXPECT_EQ(folder.EntryCount(), 1u);
    fs::remove(path);
    steps.beforeNaming = [&] { Write(path, "someone else's\n"); };
    EXPECT_EQ(save_file::SaveFileContentsWith(path, kNew, steps), std::errc::file_exists);
    EXPECT_EQ(FileBytes(path), "someone else's\n");
    EXPECT_EQ(folder.EntryCount(), 1u);
    fs::remove(path);
  }
}

// A save killed by SIGKILL, which no handler sees, after its file was written and before the
// file got its name, leaves nothing in the folder: that file never had a name. A replaced file
// stays as it was.
TEST(SaveFile, ASaveKilledBeforeItsFileIsNamedLeavesNothingBehind) {
  TempFolder folder;
  if (!TakesUnnamedFiles(folder.path())) GTEST_SKIP() << "the filesystem has no unnamed files";
  const fs::path path = folder / "killed.qv3";
  const std::string big(8 << 20, 'x');
  for (const bool replacing : {false, true}) {
    SCOPED_TRACE(replacing);
    if (replacing) Write(path, kOld);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      save_file::SaveSteps steps;
      steps.beforeNaming = [&] {
        if (write(ready[1], "w", 1) == 1) pause();
      };
      save_file::SaveFileContentsWith(path, big, steps);
      _exit(1);
    }
    close(ready[1]);
    char written = 0;
    ASSERT_EQ(read(ready[0], &written, 1), 1);
    close(ready[0]);
    // The child holds the whole file open, and the folder shows nothing of it.
    bool held = false;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(child) + "/fd")) {
      struct stat info {};
      held = held || (stat(fd.path().c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                      static_cast<std::size_t>(info.st_size) == big.size());
    }
    EXPECT_TRUE(held);
    EXPECT_EQ(folder.EntryCount(), replacing ? 1u : 0u);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(folder.EntryCount(), replacing ? 1u : 0u);
    EXPECT_EQ(FileBytes(path), replacing ? kOld : "");
  }
}

// The child's exit status, or -1 when it did not exit normally or was still running after
// `seconds` (it is killed then: a handler that waits for itself hangs).
int ExitStatusWithin(pid_t child, int seconds) {
  int status = 0;
  for (int waited = 0; waitpid(child, &status, WNOHANG) == 0; ++waited) {
    if (waited == seconds * 100) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SignalCleanup, EachEndingSignalRemovesRegisteredFilesAndExitsWith128PlusTheSignal) {
  TempFolder folder;
  const fs::path path = folder / "registered", kept = folder / "released", held = folder / "held";
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    SCOPED_TRACE(signal);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      RemoveRegisteredFilesOnSignal();
      const int fd = CreateRemovedOnSignal(
          path.c_str(), [&] { return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600); });
      const int other = CreateRemovedOnSignal(
          kept.c_str(), [&] { return open(kept.c_str(), O_WRONLY | O_CREAT, 0600); });
      // Released by a rename that failed: still registered; by one that worked: not any more.
      if (fd < 0 || other < 0 || ReleaseRemovedOnSignal(path.c_str(), [] { return false; })) {
        _exit(1);
      }
      if (!ReleaseRemovedOnSignal(kept.c_str(), [] { return true; })) _exit(2);
      // A signal during a registration waits until the file is registered, then removes it.
      CreateRemovedOnSignal(held.c_str(), [&] {
        const int made = open(held.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        raise(signal);
        return made;
      });
      _exit(3);
    }
    EXPECT_EQ(ExitStatusWithin(child, 20), 128 + signal);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(held));
    EXPECT_TRUE(fs::exists(kept));
    fs::remove(held);
  }
}

#ifdef QUORVANE_GUI_PATH
// Whether the process `pid` catches every signal of `signals` (its SigCgt mask in /proc).
bool Catches(pid_t pid, std::initializer_list<int> signals) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("SigCgt:", 0) != 0) continue;
    const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
    for (const int signal : signals) {
      if ((caught & (1ull << (signal - 1))) == 0) return false;
    }
    return true;
  }
  return false;
}

// The desktop program, started without a display, ends through the same handler (exit status
// 128 + the signal, not killed by it) once it is up.
TEST(SignalCleanup, TheDesktopProgramEndsThroughTheHandlerOnSigintSigtermAndSighup) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      setenv("QT_LOGGING_RULES", "qt.qpa.*=false", 1);
      execl(QUORVANE_GUI_PATH, QUORVANE_GUI_PATH, static_cast<char*>(nullptr));
      _exit(91);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Catches(child, {SIGINT, SIGTERM, SIGHUP}) &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(child, signal);
    EXPECT_EQ(ExitStatusWithin(child, 30), 128 + signal);
  }
}
#endif

}  // namespace
}  // namespace quorvane

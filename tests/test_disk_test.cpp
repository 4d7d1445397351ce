// The disk throughput test on real unbuffered files: its rates from a clock whose ticks the test
// chooses, and the ways it fails, each leaving no file of its own and every file of the user's
// as it was; and the unbuffered file it works through.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "disk/DiskTest.h"
#include "platform/FolderLock.h"
#include "platform/SignalCleanupProbe_internal.h"
#include "platform/UnbufferedFile.h"
#include "tests/direct_io_folder.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Message = std::pair<std::string, std::string>;
const std::string kOpenFailureText = "Error opening test file. Make sure you've got admin rights!";
const Message kOpenFailure{kOpenFailureText, "Can't open test file"};
constexpr std::uintmax_t kFileSize = 5242880;

// The open failure for the test file `path` with the system's reason.
Message OpenFailure(const fs::path& path, const std::string& reason) {
  return {kOpenFailureText + " (" + path.string() + ": " + reason + ")", "Can't open test file"};
}

// Drive C of a disk test with a short calibration, its file in `folder`, every message shown
// recorded; the outputs (read max, average, min, write max, average, min, CPU usage) start at -7.
// `meterStarts` counts the meter's runs: none when a test fails before its calibration.
struct DiskRun {
  DiskTestEnvironment environment;
  std::vector<Message> messages;
  std::array<std::int32_t, 7> out{-7, -7, -7, -7, -7, -7, -7};
  std::shared_ptr<std::atomic<int>> meterStarts = std::make_shared<std::atomic<int>>(0);

  explicit DiskRun(std::optional<fs::path> folder) {
    environment.folderOf = [folder](char) { return folder; };
    environment.calibration = 50ms;
    environment.showMessage = [this](std::string_view text, std::string_view caption) {
      messages.emplace_back(text, caption);
    };
    environment.startThread = [starts = meterStarts](std::function<void()> routine) {
      ++*starts;
      return StartThread(std::move(routine));
    };
  }
  std::int32_t operator()(std::int32_t passes) {
    return RunDiskTest('C', passes, out[0], out[1], out[2], out[3], out[4], out[5], out[6],
                       environment);
  }
  bool Untouched() const { return std::ranges::count(out, -7) == 7; }
};

// Twenty passes on a clock of 1000 ticks a second: every write takes 500 ticks but the eighth
// (250) and the fourteenth (1000), every read 250 but the first (125) and the last (500).
TEST(DiskTest, RatesAreFastestAverageOverAllPassesAndSlowestWithTwentyFilesMadeAndRemoved) {
  const auto folder = test_support::DirectIoFolder();
  if (!folder) GTEST_SKIP() << "no folder that takes unbuffered files";
  DiskRun run(folder->path());
  const fs::path file = folder->path() / "DISKTEST.DAT";
  std::int64_t now = std::int64_t{1} << 40;
  int reads = 0;
  bool filesRight = true;
  run.environment.clock.ticksPerSecond = [] { return std::int64_t{1000}; };
  run.environment.clock.ticks = [&] {
    const int pass = reads / 4, step = reads++ % 4;  // write start and end, read start and end
    // Each pass starts on a new empty file, which holds the 20 blocks from the write's end on.
    std::error_code error;
    filesRight = filesRight && fs::file_size(file, error) == (step == 0 ? 0u : 5120u * 1024u);
    if (step == 1) now += pass == 7 ? 250 : pass == 13 ? 1000 : 500;
    if (step == 3) now += pass == 0 ? 125 : pass == 19 ? 500 : 250;
    return now;
  };
  ASSERT_EQ(run(20), 0);
  EXPECT_EQ(reads, 80);
  EXPECT_TRUE(filesRight);
  EXPECT_TRUE(run.messages.empty());
  EXPECT_EQ(folder->EntryCount(), 0u);
  // 5120 KB over the fastest pass, 20 x 5120 KB over the 5.125 s and 10.25 s of all passes
  // (truncated), 5120 KB over the slowest pass.
  EXPECT_EQ((std::array{run.out[0], run.out[1], run.out[2], run.out[3], run.out[4], run.out[5]}),
            (std::array{40960, 19980, 10240, 20480, 9990, 5120}));
  EXPECT_TRUE(run.out[6] >= 0 && run.out[6] <= 100) << run.out[6];
}

// Each is found before the meter's calibration, and the message names the file and the reason.
TEST(DiskTest, AFolderThatCannotTakeTheFileOrNoPassFailsBeforeCalibratingAndLeavesNoFile) {
  // tmpfs (memory only) cannot bypass a cache: it must be refused, not measured.
  std::string shm = "/dev/shm/quorvane-disk-XXXXXX";
  struct statfs info {};
  const bool haveTmpfs =
      statfs("/dev/shm", &info) == 0 && info.f_type == 0x01021994 && mkdtemp(shm.data()) != nullptr;
  struct Row {
    std::optional<fs::path> folder;
    std::int32_t passes;
    std::vector<Message> messages;
  };
  const fs::path missing = "/nonexistent-quorvane-folder";
  std::vector<Row> rows = {
      {std::nullopt,
       2,
       {{kOpenFailureText + " (drive C: not available on this system)", kOpenFailure.second}}},
      {missing, 2, {OpenFailure(missing / "DISKTEST.DAT", "No such file or directory")}},
      {"/proc",
       2,
       {OpenFailure("/proc/DISKTEST.DAT", "No such file or directory")}},  // even for root
      {"/", 0, {}}};  // refused at once, without a message
  if (haveTmpfs) {
    rows.push_back({fs::path(shm),
                    2,
                    {OpenFailure(fs::path(shm) / "DISKTEST.DAT",
                                 "this filesystem cannot write and read without its cache")}});
  }
  for (const auto& row : rows) {
    SCOPED_TRACE((row.folder ? row.folder->string() : "none") + ", " + std::to_string(row.passes));
    DiskRun run(row.folder);
    EXPECT_EQ(run(row.passes), -1);
    EXPECT_EQ(run.messages, row.messages);
    EXPECT_EQ(*run.meterStarts, 0);
    EXPECT_TRUE(run.Untouched());
    EXPECT_FALSE(row.folder && fs::exists(*row.folder / "DISKTEST.DAT"));
  }
  if (haveTmpfs) {
    EXPECT_TRUE(fs::is_empty(shm));
    fs::remove_all(shm);
  }
}

// A folder the user may not write to, and a filesystem without room for one pass's file.
TEST(DiskTest, NoPermissionOrNoSpaceIsToldBeforeCalibratingWithTheFileAndTheReason) {
  const auto folder = test_support::DirectIoFolder();
  if (!folder) GTEST_SKIP() << "no folder that takes unbuffered files";
  const fs::path file = folder->path() / "DISKTEST.DAT";
  DiskRun full(folder->path());
  full.environment.freeSpace = [&](const fs::path& asked) {
    return asked == folder->path() ? std::optional<std::uintmax_t>(kFileSize - 1024 * 1024)
                                   : std::nullopt;
  };
  EXPECT_EQ(full(2), -1);
  EXPECT_EQ(full.messages,
            (std::vector<Message>{{"Can't write test file (" + file.string() +
                                       ": No space left on device; the test needs 5120 kB, "
                                       "4096 kB are free)",
                                   "Error writing to test file"}}));
  EXPECT_EQ(*full.meterStarts, 0);
  EXPECT_EQ(folder->EntryCount(), 0u);

  // Not writable: for root, a folder of its own seen by another user.
  chmod(folder->path().c_str(), geteuid() == 0 ? 0755 : 0555);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(90);
    DiskRun run(folder->path());
    const bool refused = run(2) == -1 && *run.meterStarts == 0;
    _exit(refused && run.messages == std::vector<Message>{OpenFailure(file, "Permission denied")}
              ? 0
              : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  chmod(folder->path().c_str(), 0700);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the open failure with its reason, at once";
  EXPECT_EQ(folder->EntryCount(), 0u);
}

// What already has the test file's name is never touched: a file of the user's, or a link that
// someone placed to point the test at another file. The message names the file.
TEST(DiskTest, AnExistingTestFileOrLinkIsLeftAloneWithAMessageNamingIt) {
  const auto folder = test_support::DirectIoFolder();
  if (!folder) GTEST_SKIP() << "no folder that takes unbuffered files";
  const fs::path name = folder->path() / "DISKTEST.DAT";
  const fs::path victim = folder->path() / "victim";
  for (const bool link : {false, true}) {
    SCOPED_TRACE(link);
    { std::ofstream(link ? victim : name) << "must survive\n"; }
    if (link) fs::create_symlink(victim, name);
    DiskRun run(folder->path());
    EXPECT_EQ(run(2), -1);
    EXPECT_EQ(run.messages,
              (std::vector<Message>{{FileExistsText(name), "Test file already exists"}}));
    EXPECT_NE(run.messages.at(0).first.find(name.string()), std::string::npos);
    EXPECT_TRUE(run.Untouched());
    EXPECT_EQ(fs::is_symlink(name), link);
    EXPECT_EQ(test_support::FileBytes(link ? victim : name), "must survive\n");
    fs::remove(name);
    fs::remove(victim);
  }
}

TEST(DiskTest, AWriteCutShortEndsTheTestAndLeavesNoFile) {
  const auto folder = test_support::DirectIoFolder();
  if (!folder) GTEST_SKIP() << "no folder that takes unbuffered files";
  // In a child process whose files may not grow beyond 1 MiB: the fifth write of the first pass
  // is refused (EFBIG instead of the signal, which is ignored).
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 1 << 20;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
    signal(SIGXFSZ, SIG_IGN);
    DiskRun run(folder->path());
    const bool failed = run(3) == -1 && run.Untouched();
    const fs::path file = folder->path() / "DISKTEST.DAT";
    const std::vector<Message> writeFailure{
        {"Can't write test file (" + file.string() + ": File too large)",
         "Error writing to test file"}};
    _exit(failed && run.messages == writeFailure ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "-1, the write message, outputs left alone";
  EXPECT_EQ(folder->EntryCount(), 0u);
}

TEST(DiskTest, AMeterThatDoesNotStopOrCannotStartEndsTheTestWithItsMessageLast) {
  const auto folder = test_support::DirectIoFolder();
  if (!folder) GTEST_SKIP() << "no folder that takes unbuffered files";
  const Message stopFailure{
      "Thread can not be stoped.",
      "Error trying to stop the thread. The thread will be terminated.\nAborting"};
  for (bool passesWork : {true, false}) {
    SCOPED_TRACE(passesWork);
    DiskRun run(folder->path());
    std::atomic<int> runs{0};
    run.environment.stopGrace = 1000ms;
    run.environment.counter = [&runs](MeterShared& shared) {
      if (++runs == 1) return IdleLoopCounter(shared);  // the calibration stops
      for (;;) std::this_thread::sleep_for(1ms);
    };
    // A pass that fails: its folder goes away after the calibration.
    const fs::path gone = folder->path() / "gone";
    if (!passesWork) {
      fs::create_directory(gone);
      run.environment.folderOf = [gone](char) { return gone; };
      run.environment.startThread = [&, starts = 0](std::function<void()> routine) mutable {
        if (++starts == 2) fs::remove(gone);
        return StartThread(std::move(routine));
      };
    }
    EXPECT_EQ(run(2), -1);
    EXPECT_EQ(run.messages,
              (passesWork ? std::vector<Message>{stopFailure}
                          : std::vector<Message>{
                                OpenFailure(gone / "DISKTEST.DAT", "No such file or directory"),
                                stopFailure}));
    EXPECT_TRUE(run.Untouched()) << "completed passes are lost";
    EXPECT_EQ(folder->EntryCount(), 0u);
  }
  for (int refusedStart : {1, 2}) {  // the calibration run, then the measurement run
    SCOPED_TRACE(refusedStart);
    DiskRun run(folder->path());
    int starts = 0;
    run.environment.startThread = [&starts, refusedStart](std::function<void()> routine) {
      return ++starts == refusedStart ? std::optional<std::thread>()
                                      : StartThread(std::move(routine));
    };
    EXPECT_EQ(run(1), -1);
    EXPECT_EQ(starts, refusedStart);
    EXPECT_EQ(run.messages,
              (std::vector<Message>{{"The CPU usage meter could not start its thread.",
                                     "Can't start the CPU usage meter"}}));
    EXPECT_TRUE(run.Untouched());
  }
}

// A file of `size` bytes at `path` (made sparse: only its size matters here).
void MakeFile(const fs::path& path, std::uintmax_t size) {
  { std::ofstream(path, std::ios::binary) << ""; }
  fs::resize_file(path, size);
}

// A second test in the same folder at any moment of a first one: during the calibration or
// between two passes (the folder locked, no file there) and during a pass (the file there too).
// It says so, and the first one's file and measurement go on untouched.
TEST(DiskTest, ASecondTestInTheSameFolderSaysAnotherIsRunningAndLeavesTheFirstAlone) {
  const auto folder = test_support::DirectIoFolder();
  if (!folder) GTEST_SKIP() << "no folder that takes unbuffered files";
  const fs::path file = folder->path() / "DISKTEST.DAT";
  const std::vector<Message> running{{TestRunningText(file), "Another disk test is running"}};
  EXPECT_NE(running[0].first.find(file.string()), std::string::npos);
  {
    const FolderLock first(folder->path());
    ASSERT_FALSE(first.Busy());
    DiskRun second(folder->path());
    EXPECT_EQ(second(2), -1);
    EXPECT_EQ(second.messages, running);
    EXPECT_EQ(*second.meterStarts, 0);
    EXPECT_EQ(folder->EntryCount(), 0u) << "nothing made in the first one's folder";
  }
  DiskRun first(folder->path());
  std::vector<std::vector<Message>> secondMessages;
  int ticks = 0;
  bool fileKept = true;
  first.environment.clock.ticks = [&] {
    if (ticks++ == 5) {  // the second pass, its 20 blocks written
      DiskRun second(folder->path());
      if (second(1) != -1 || *second.meterStarts != 0) secondMessages.push_back({});
      secondMessages.push_back(second.messages);
      std::error_code error;
      fileKept = fs::file_size(file, error) == kFileSize;
    }
    return std::int64_t{ticks} * 1000;
  };
  first.environment.clock.ticksPerSecond = [] { return std::int64_t{1000}; };
  ASSERT_EQ(first(3), 0);
  EXPECT_TRUE(first.messages.empty());
  EXPECT_EQ(secondMessages, std::vector<std::vector<Message>>{running});
  EXPECT_TRUE(fileKept);
  EXPECT_EQ(first.out[3], 5120) << "every pass's write timed undisturbed";
  EXPECT_EQ(folder->EntryCount(), 0u);
  // The lock goes with the test.
  EXPECT_FALSE(FolderLock(folder->path()).Busy());
}

// A test that ended abnormally left its file: exactly the test's size, the user's, one name, no
// lock. It is removed with a note and the test runs. Anything else is left as it is.
TEST(DiskTest, ALeftoverTestFileIsRemovedWithANoteAnythingElseIsLeftAlone) {
  const auto folder = test_support::DirectIoFolder();
  if (!folder) GTEST_SKIP() << "no folder that takes unbuffered files";
  const fs::path file = folder->path() / "DISKTEST.DAT", other = folder->path() / "other";
  MakeFile(file, kFileSize);
  DiskRun run(folder->path());
  std::vector<Message> notes;
  run.environment.showNote = [&](std::string_view text, std::string_view caption) {
    notes.emplace_back(text, caption);
  };
  ASSERT_EQ(run(1), 0);
  EXPECT_EQ(notes, (std::vector<Message>{{LeftoverRemovedText(file), "Test file removed"}}));
  EXPECT_TRUE(run.messages.empty());
  EXPECT_EQ(folder->EntryCount(), 0u);

  enum Kind { kLonger, kShorter, kTwoNames, kLink, kPipe, kLocked, kOthers };
  for (const Kind kind : {kLonger, kShorter, kTwoNames, kLink, kPipe, kLocked, kOthers}) {
    SCOPED_TRACE(kind);
    if (kind == kOthers && geteuid() != 0) continue;  // another user's file needs root
    int holder = -1;
    switch (kind) {
      case kLonger:
        MakeFile(file, kFileSize + 1);
        break;
      case kShorter:
        MakeFile(file, kFileSize - 4096);
        break;
      case kTwoNames:
        MakeFile(file, kFileSize);
        fs::create_hard_link(file, other);
        break;
      case kLink:
        MakeFile(other, kFileSize);
        fs::create_symlink(other, file);
        break;
      case kPipe:
        ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
        break;
      case kLocked:  // a test of another process in a pass (its folder lock not seen)
        MakeFile(file, kFileSize);
        holder = open(file.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(flock(holder, LOCK_EX), 0);
        break;
      case kOthers:
        MakeFile(file, kFileSize);
        ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);
        break;
    }
    struct stat before {};
    lstat(file.c_str(), &before);
    DiskRun kept(folder->path());
    EXPECT_EQ(kept(1), -1);
    EXPECT_EQ(kept.messages,
              (kind == kLocked
                   ? std::vector<Message>{{TestRunningText(file), "Another disk test is running"}}
                   : std::vector<Message>{{FileExistsText(file), "Test file already exists"}}));
    struct stat after {};
    EXPECT_EQ(lstat(file.c_str(), &after), 0);
    EXPECT_EQ(std::tuple(after.st_ino, after.st_mode, after.st_size, after.st_uid),
              std::tuple(before.st_ino, before.st_mode, before.st_size, before.st_uid));
    if (holder >= 0) close(holder);
    fs::remove(file);
    fs::remove(other);
  }
}

// Writing and reading back in whole blocks is what every pass of the disk test does.
TEST(UnbufferedFile, BypassesTheCacheIsRemovedOnASignalUntilDeletedAndDeletesOnce) {
  const auto folder = test_support::DirectIoFolder();
  if (!folder) GTEST_SKIP() << "no folder that takes unbuffered files";
  const fs::path path = folder->path() / "data.bin";
  AlignedBlock block(8192);
  std::optional<UnbufferedFile> file = UnbufferedFile::CreateNew(path);
  ASSERT_TRUE(file.has_value());
  EXPECT_TRUE(IsRemovedOnSignal(path.c_str())) << "a stopped process must not leave it behind";
  // Locked while open: another process would see a running test, not a leftover.
  EXPECT_EQ(UnbufferedFile::ClearLeftover(path, 0), LeftoverFile::InUse);
  errno = 0;
  EXPECT_FALSE(UnbufferedFile::CreateNew(path).has_value()) << "never over an existing file";
  EXPECT_EQ(errno, EEXIST);
  // Buffered files take any size at any address; unbuffered ones refuse misaligned transfers.
  EXPECT_EQ(file->Write(block.data() + 1, 4096), -1);
  EXPECT_EQ(file->Write(block.data(), 100), -1);
  EXPECT_EQ(file->Read(block.data(), 4096), 0) << "end of the file";
  file->Close();
  EXPECT_TRUE(UnbufferedFile::Delete(path));
  EXPECT_FALSE(IsRemovedOnSignal(path.c_str()));
  EXPECT_FALSE(UnbufferedFile::Delete(path)) << "nothing left to delete";
}

}  // namespace
}  // namespace quorvane

// The disk throughput test on real files: the passes and their rates, and the ways it fails (no
// file, a name already taken, a write cut short, a meter that does not stop or cannot start),
// each leaving no file of its own and every file of the user's as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "disk/DiskTest.h"
#include "tests/direct_io_folder.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::DirectIoFolder;

constexpr std::int32_t kUntouched = -7;

struct Outputs {
  std::int32_t readMax = kUntouched, readAverage = kUntouched, readMin = kUntouched;
  std::int32_t writeMax = kUntouched, writeAverage = kUntouched, writeMin = kUntouched;
  std::int32_t cpuUsage = kUntouched;

  bool Untouched() const {
    for (std::int32_t value : {readMax, readAverage, readMin, writeMax, writeAverage, writeMin, cpuUsage}) {
      if (value != kUntouched) return false;
    }
    return true;
  }
};

using Message = std::pair<std::string, std::string>;

// Runs the test on drive C with a short calibration; `folder` is where C's file goes, and every
// message shown is recorded.
struct DiskRun {
  DiskTestEnvironment environment;
  std::vector<Message> messages;
  Outputs out;

  explicit DiskRun(std::optional<fs::path> folder) {
    environment.folderOf = [folder](char) { return folder; };
    environment.calibration = 50ms;
    environment.showMessage = [this](std::string_view text, std::string_view caption) {
      messages.emplace_back(std::string(text), std::string(caption));
    };
  }
  std::int32_t operator()(std::int32_t passes) {
    return RunDiskTest('C', passes, out.readMax, out.readAverage, out.readMin, out.writeMax,
                       out.writeAverage, out.writeMin, out.cpuUsage, environment);
  }
};

const Message kOpenFailure{"Error opening test file. Make sure you've got admin rights!",
                           "Can't open test file"};
const Message kWriteFailure{"Can't write test file", "Error writing to test file"};
const Message kStartFailure{"The CPU usage meter could not start its thread.",
                            "Can't start the CPU usage meter"};

TEST(DiskTest, PassesLeaveNoFileAndGiveOrderedRates) {
  DirectIoFolder folder;
  if (folder.path().empty()) GTEST_SKIP() << "no folder that takes unbuffered files";
  DiskRun run(folder.path());
  ASSERT_EQ(run(3), 0);
  EXPECT_TRUE(run.messages.empty());
  EXPECT_TRUE(folder.IsEmpty());
  EXPECT_GT(run.out.readMin, 0);
  EXPECT_GE(run.out.readMax, run.out.readAverage);
  EXPECT_GE(run.out.readAverage, run.out.readMin);
  EXPECT_GT(run.out.writeMin, 0);
  EXPECT_GE(run.out.writeMax, run.out.writeAverage);
  EXPECT_GE(run.out.writeAverage, run.out.writeMin);
  EXPECT_GE(run.out.cpuUsage, 0);
  EXPECT_LE(run.out.cpuUsage, 100);
}

TEST(DiskTest, AFolderThatCannotTakeTheFileGivesTheOpenFailureOnce) {
  std::vector<std::optional<fs::path>> folders = {
      std::nullopt,                               // a drive without a folder
      fs::path("/nonexistent-quorvane-folder"),  // missing
      fs::path("/proc")};                        // unwritable, even for root
  // tmpfs (memory only) cannot bypass a cache: it must be refused, not measured.
  std::string shm = "/dev/shm/quorvane-disk-XXXXXX";
  struct statfs info {};
  const bool haveTmpfs = statfs("/dev/shm", &info) == 0 &&
                         static_cast<unsigned long>(info.f_type) == 0x01021994UL &&
                         mkdtemp(shm.data()) != nullptr;
  if (haveTmpfs) folders.emplace_back(shm);

  for (const std::optional<fs::path>& folder : folders) {
    SCOPED_TRACE(folder ? folder->string() : "no folder");
    DiskRun run(folder);
    EXPECT_EQ(run(2), -1);
    EXPECT_EQ(run.messages, std::vector<Message>{kOpenFailure});
    EXPECT_TRUE(run.out.Untouched());
    if (folder) {
      EXPECT_FALSE(fs::exists(*folder / "DISKTEST.DAT"));
    }
  }
  if (haveTmpfs) {
    EXPECT_TRUE(fs::is_empty(shm));
    fs::remove_all(shm);
  }
}

// What already has the test file's name is never touched: a file of the user's, or a link that
// someone placed to point the test at another file. The message names the file.
TEST(DiskTest, AnExistingTestFileOrLinkIsLeftAloneWithAMessageNamingIt) {
  DirectIoFolder folder;
  if (folder.path().empty()) GTEST_SKIP() << "no folder that takes unbuffered files";
  const fs::path name = folder.path() / "DISKTEST.DAT";
  const fs::path victim = folder.path() / "victim";
  for (const bool link : {false, true}) {
    SCOPED_TRACE(link ? "a link to another file" : "a file of the user's");
    const std::string kept = "must survive\n";
    { std::ofstream(link ? victim : name, std::ios::binary) << kept; }
    if (link) fs::create_symlink(victim, name);
    DiskRun run(folder.path());
    EXPECT_EQ(run(2), -1);
    EXPECT_EQ(run.messages, (std::vector<Message>{{FileExistsText(name), "Test file already exists"}}));
    EXPECT_NE(run.messages.at(0).first.find(name.string()), std::string::npos);
    EXPECT_TRUE(run.out.Untouched());
    EXPECT_EQ(fs::is_symlink(name), link);
    std::ifstream in(link ? victim : name, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kept);
    fs::remove(name);
    fs::remove(victim);
  }
}

TEST(DiskTest, FewerThanOnePassIsRefusedAtOnce) {
  for (std::int32_t passes : {0, -1, INT32_MIN}) {
    DiskRun run(fs::path("/"));
    EXPECT_EQ(run(passes), -1) << passes;
    EXPECT_TRUE(run.messages.empty());
    EXPECT_TRUE(run.out.Untouched());
  }
}

TEST(DiskTest, AWriteCutShortEndsTheTestAndLeavesNoFile) {
  DirectIoFolder folder;
  if (folder.path().empty()) GTEST_SKIP() << "no folder that takes unbuffered files";
  // In a child process whose files may not grow beyond 1 MiB: the fifth write of the first pass
  // is refused (EFBIG instead of the signal, which is ignored).
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(channel[0]);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 1 << 20;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
    signal(SIGXFSZ, SIG_IGN);
    DiskRun run(folder.path());
    const std::int32_t result = run(3);
    std::string report;
    for (const auto& [text, caption] : run.messages) report += text + "|" + caption + "\n";
    if (write(channel[1], report.data(), report.size()) < 0) _exit(4);
    _exit(result == -1 && run.out.Untouched() ? 0 : 1);
  }
  close(channel[1]);
  std::string report;
  char buffer[512];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    report.append(buffer, static_cast<std::size_t>(got));
  }
  close(channel[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "-1 and the outputs left alone";
  EXPECT_EQ(report, kWriteFailure.first + "|" + kWriteFailure.second + "\n");
  EXPECT_TRUE(folder.IsEmpty());
}

TEST(DiskTest, AMeterThatDoesNotStopEndsTheTestWithItsMessageLast) {
  DirectIoFolder folder;
  if (folder.path().empty()) GTEST_SKIP() << "no folder that takes unbuffered files";
  for (bool passesWork : {true, false}) {
    SCOPED_TRACE(passesWork);
    DiskRun run(passesWork ? folder.path() : fs::path("/nonexistent-quorvane-folder"));
    std::atomic<int> runs{0};
    run.environment.stopGrace = 1000ms;
    run.environment.counter = [&runs](MeterShared& shared) {
      if (++runs == 1) return IdleLoopCounter(shared);  // the calibration stops
      for (;;) std::this_thread::sleep_for(1ms);
    };
    EXPECT_EQ(run(2), -1);
    const Message kStopFailure{std::string(CpuUsageMeter::kStopFailedText),
                               std::string(CpuUsageMeter::kStopFailedCaption)};
    const std::vector<Message> expected = passesWork ? std::vector<Message>{kStopFailure}
                                                     : std::vector<Message>{kOpenFailure, kStopFailure};
    EXPECT_EQ(run.messages, expected);
    EXPECT_TRUE(run.out.Untouched()) << "completed passes are lost";
    EXPECT_TRUE(folder.IsEmpty());
  }
}

TEST(DiskTest, AMeterThreadThatCannotStartIsReported) {
  for (int refusedStart : {1, 2}) {  // the calibration run, then the measurement run
    SCOPED_TRACE(refusedStart);
    DiskRun run(fs::path("/nonexistent-quorvane-folder"));
    int starts = 0;
    run.environment.startThread = [&starts, refusedStart](std::function<void()> routine) {
      if (++starts == refusedStart) return std::optional<std::thread>();
      return StartThread(std::move(routine));
    };
    EXPECT_EQ(run(1), -1);
    EXPECT_EQ(starts, refusedStart);
    EXPECT_EQ(run.messages, std::vector<Message>{kStartFailure});
    EXPECT_TRUE(run.out.Untouched());
  }
}

}  // namespace
}  // namespace quorvane

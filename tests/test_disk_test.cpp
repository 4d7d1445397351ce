// The disk throughput test on real files: the passes, the rates, and every way it can fail
// (no file, a write cut short, a meter that does not stop or cannot start), each leaving no file.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
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

std::int32_t RunOn(char letter, std::int32_t passes, Outputs& out, const DiskTestEnvironment& environment) {
  return RunDiskTest(letter, passes, out.readMax, out.readAverage, out.readMin, out.writeMax,
                     out.writeAverage, out.writeMin, out.cpuUsage, environment);
}

using Message = std::pair<std::string, std::string>;

// A quick environment: every letter maps to `folder`; the letters asked for and the messages
// shown are recorded.
struct Recorder {
  std::vector<char> lettersAsked;
  std::vector<Message> messages;

  DiskTestEnvironment Environment(std::optional<fs::path> folder) {
    DiskTestEnvironment environment;
    environment.folderOf = [this, folder](char letter) {
      lettersAsked.push_back(letter);
      return folder;
    };
    environment.calibration = 50ms;
    environment.stopGrace = 2000ms;
    environment.showMessage = [this](std::string_view text, std::string_view caption) {
      messages.emplace_back(std::string(text), std::string(caption));
    };
    return environment;
  }
};

const Message kOpenFailure{"Error opening test file. Make sure you've got admin rights!",
                           "Can't open test file"};
const Message kWriteFailure{"Can't write test file", "Error writing to test file"};
const Message kStopFailure{
    "Thread can not be stoped.",
    "Error trying to stop the thread. The thread will be terminated.\nAborting"};
const Message kStartFailure{"The CPU usage meter could not start its thread.",
                            "Can't start the CPU usage meter"};

// The creations ("+name") and deletions ("-name") of files in a folder, in order.
class FolderEvents {
 public:
  explicit FolderEvents(const fs::path& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0) inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_DELETE);
  }
  ~FolderEvents() {
    if (fd_ >= 0) close(fd_);
  }
  FolderEvents(const FolderEvents&) = delete;
  FolderEvents& operator=(const FolderEvents&) = delete;

  bool Watching() const { return fd_ >= 0; }

  std::vector<std::string> Take() {
    std::vector<std::string> events;
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
      const ssize_t got = read(fd_, buffer, sizeof buffer);
      if (got <= 0) break;
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->len > 0) events.push_back(std::string(event->mask & IN_CREATE ? "+" : "-") + event->name);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return events;
  }

 private:
  int fd_;
};

std::vector<std::string> CreatedAndDeleted(int passes) {
  std::vector<std::string> events;
  for (int i = 0; i < passes; ++i) {
    events.emplace_back("+DISKTEST.DAT");
    events.emplace_back("-DISKTEST.DAT");
  }
  return events;
}

// A counting routine that counts normally except in run `stuckRun` (1 = calibration, 2 = the
// passes), where it never looks at its event.
CounterRoutine StuckInRun(int stuckRun, std::atomic<int>& runs) {
  return [stuckRun, &runs](MeterShared& shared) {
    if (++runs != stuckRun) {
      IdleLoopCounter(shared);
      return;
    }
    for (;;) std::this_thread::sleep_for(1ms);
  };
}

void ExpectOrdered(std::int32_t max, std::int32_t average, std::int32_t min) {
  EXPECT_GT(min, 0);
  EXPECT_GE(max, average);
  EXPECT_GE(average, min);
}

TEST(DiskTest, EachPassMakesAndRemovesItsFileAndTheRatesAreOrdered) {
  DirectIoFolder folder;
  if (folder.path().empty()) GTEST_SKIP() << "no folder that takes unbuffered files";
  FolderEvents events(folder.path());
  ASSERT_TRUE(events.Watching());
  Recorder recorder;

  Outputs out;
  ASSERT_EQ(RunOn('C', 3, out, recorder.Environment(folder.path())), 0);
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(recorder.lettersAsked, std::vector<char>{'C'});
  EXPECT_EQ(events.Take(), CreatedAndDeleted(3));
  EXPECT_TRUE(folder.IsEmpty());
  ExpectOrdered(out.readMax, out.readAverage, out.readMin);
  ExpectOrdered(out.writeMax, out.writeAverage, out.writeMin);
  EXPECT_GE(out.cpuUsage, 0);
  EXPECT_LE(out.cpuUsage, 100);

  // One pass: every rate of a direction comes from the same time.
  Outputs single;
  ASSERT_EQ(RunOn('Z', 1, single, recorder.Environment(folder.path())), 0);
  EXPECT_EQ(recorder.lettersAsked, (std::vector<char>{'C', 'Z'}));
  EXPECT_EQ(events.Take(), CreatedAndDeleted(1));
  EXPECT_EQ(single.readMax, single.readAverage);
  EXPECT_EQ(single.readAverage, single.readMin);
  EXPECT_EQ(single.writeMax, single.writeAverage);
  EXPECT_EQ(single.writeAverage, single.writeMin);
  EXPECT_GT(single.writeMin, 0);
  EXPECT_TRUE(folder.IsEmpty());
}

TEST(DiskTest, AFolderThatCannotTakeTheFileGivesTheOpenFailureOnce) {
  std::vector<std::pair<std::string, std::optional<fs::path>>> cases = {
      {"a drive without a folder", std::nullopt},
      {"a folder that does not exist", fs::path("/nonexistent-quorvane-folder")}};
  // tmpfs (memory only) cannot bypass a cache: it must be refused, not measured.
  std::string shmPattern = "/dev/shm/quorvane-disk-XXXXXX";
  struct statfs info {};
  const bool haveTmpfs = statfs("/dev/shm", &info) == 0 &&
                         static_cast<unsigned long>(info.f_type) == 0x01021994UL &&
                         mkdtemp(shmPattern.data()) != nullptr;
  if (haveTmpfs) cases.emplace_back("a folder on tmpfs", fs::path(shmPattern));

  for (const auto& [name, folder] : cases) {
    SCOPED_TRACE(name);
    Recorder recorder;
    Outputs out;
    EXPECT_EQ(RunOn('D', 2, out, recorder.Environment(folder)), -1);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0], kOpenFailure);
    EXPECT_TRUE(out.Untouched());
    if (folder) {
      EXPECT_FALSE(fs::exists(*folder / "DISKTEST.DAT"));
    }
  }
  if (haveTmpfs) {
    EXPECT_TRUE(fs::is_empty(shmPattern));
    fs::remove_all(shmPattern);
  }
}

TEST(DiskTest, FewerThanOnePassIsRefusedAtOnce) {
  for (std::int32_t passes : {0, -1, INT32_MIN}) {
    Recorder recorder;
    int threadsStarted = 0;
    DiskTestEnvironment environment = recorder.Environment(fs::path("/"));
    environment.startThread = [&threadsStarted](std::function<void()> routine) {
      ++threadsStarted;
      return StartThread(std::move(routine));
    };
    Outputs out;
    EXPECT_EQ(RunOn('C', passes, out, environment), -1) << passes;
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_TRUE(recorder.lettersAsked.empty());
    EXPECT_EQ(threadsStarted, 0);
    EXPECT_TRUE(out.Untouched());
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
    Recorder recorder;
    Outputs out;
    const std::int32_t result = RunOn('C', 3, out, recorder.Environment(folder.path()));
    std::string report;
    for (const auto& [text, caption] : recorder.messages) report += text + "|" + caption + "\n";
    if (write(channel[1], report.data(), report.size()) < 0) _exit(4);
    _exit(result == -1 && out.Untouched() ? 0 : 1);
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

TEST(DiskTest, AMeterThatDoesNotStopEndsTheTestWithOneMessage) {
  DirectIoFolder folder;
  if (folder.path().empty()) GTEST_SKIP() << "no folder that takes unbuffered files";
  FolderEvents events(folder.path());
  for (int stuckRun : {1, 2}) {  // after the calibration, after the last pass
    SCOPED_TRACE(stuckRun);
    Recorder recorder;
    std::atomic<int> runs{0};
    DiskTestEnvironment environment = recorder.Environment(folder.path());
    // The grace also covers the run that does stop: its lowest-priority thread may wait long
    // for its turn on a loaded machine.
    environment.stopGrace = stuckRun == 1 ? 100ms : 1000ms;
    environment.counter = StuckInRun(stuckRun, runs);
    Outputs out;
    EXPECT_EQ(RunOn('C', 2, out, environment), -1);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0], kStopFailure);
    EXPECT_EQ(runs, stuckRun);
    EXPECT_TRUE(out.Untouched()) << "completed passes are lost";
    // A stuck calibration begins no pass; a stuck measurement ends after both.
    EXPECT_EQ(events.Take(), CreatedAndDeleted(stuckRun == 1 ? 0 : 2));
    EXPECT_TRUE(folder.IsEmpty());
  }
}

TEST(DiskTest, AFailedPassStopsTheMeterWhoseOwnFailureIsTheSecondMessage) {
  Recorder recorder;
  std::atomic<int> runs{0};
  DiskTestEnvironment environment = recorder.Environment(fs::path("/nonexistent-quorvane-folder"));
  environment.stopGrace = 1000ms;  // the calibration run must stop in it (see above)
  environment.counter = StuckInRun(2, runs);
  Outputs out;
  EXPECT_EQ(RunOn('C', 2, out, environment), -1);
  ASSERT_EQ(recorder.messages.size(), 2u);
  EXPECT_EQ(recorder.messages[0], kOpenFailure);
  EXPECT_EQ(recorder.messages[1], kStopFailure);
  EXPECT_TRUE(out.Untouched());
}

TEST(DiskTest, AMeterThreadThatCannotStartIsReported) {
  DirectIoFolder folder;
  if (folder.path().empty()) GTEST_SKIP() << "no folder that takes unbuffered files";
  for (int refusedStart : {1, 2}) {  // the calibration run, then the measurement run
    SCOPED_TRACE(refusedStart);
    Recorder recorder;
    int starts = 0;
    DiskTestEnvironment environment = recorder.Environment(folder.path());
    environment.startThread = [&starts, refusedStart](std::function<void()> routine) {
      if (++starts == refusedStart) return std::optional<std::thread>();
      return StartThread(std::move(routine));
    };
    Outputs out;
    EXPECT_EQ(RunOn('C', 1, out, environment), -1);
    EXPECT_EQ(starts, refusedStart);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0], kStartFailure);
    EXPECT_TRUE(out.Untouched());
    EXPECT_TRUE(folder.IsEmpty());
  }
}

}  // namespace
}  // namespace quorvane

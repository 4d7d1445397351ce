// The Windows side of platform/, run under Wine by the windows stage of ./test. Where Wine does
// not behave as Windows does (cache bypass, real-time scheduling) a test checks the calls and
// their failure paths, and its name says what is left to a real Windows machine.
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/DriveMap.h"
#include "platform/Event.h"
#include "platform/MachineEnvironment.h"
#include "platform/PerformanceCounter.h"
#include "platform/Priority.h"
#include "platform/SaveFile.h"
#include "platform/UnbufferedFile.h"
#include "platform/WorkerThread.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

class TemporaryFolder {
 public:
  TemporaryFolder() : path_(fs::temp_directory_path() / ("qv-test-" + std::to_string(GetCurrentProcessId()))) {
    fs::create_directories(path_);
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(path_, ignored)) {
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string Contents(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(WindowsEvent, WaitForAllCoversMoreThan64EventsAndLeavesThemReset) {
  for (const std::size_t count : {std::size_t{1}, std::size_t{64}, std::size_t{65}, std::size_t{128}}) {
    std::vector<Event> events(count);
    std::atomic<std::size_t> set{0};
    // The last event is set last and late: a wait that stopped after the first group of 64
    // would return before it.
    std::thread setter([&] {
      for (std::size_t i = 0; i + 1 < count; ++i) {
        events[i].Set();
        ++set;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      ++set;
      events[count - 1].Set();
    });
    WaitForAll(events);
    EXPECT_EQ(set.load(), count) << count;
    setter.join();
    for (Event& event : events) EXPECT_FALSE(event.Poll()) << count;  // auto-reset by the wait
  }
  Event event;
  EXPECT_FALSE(event.WaitFor(std::chrono::milliseconds(10)));
  event.Set();
  event.Set();  // does not count
  EXPECT_TRUE(event.WaitFor(std::chrono::milliseconds(-5)));
  EXPECT_FALSE(event.Poll());
}

TEST(WindowsPerformanceCounter, AdvancesAtItsFrequency) {
  const std::int64_t start = QueryPerformanceCounter();
  Sleep(50);
  // A frequency of 0 gives no finite time and fails below.
  const double seconds = static_cast<double>(QueryPerformanceCounter() - start) /
                         static_cast<double>(QueryPerformanceFrequency());
  EXPECT_GT(seconds, 0.04);
  EXPECT_LT(seconds, 5.0);
}

TEST(WindowsMachineEnvironment, ProcessorTimesAdvanceAndOurOwnWorkCountsAsOurs) {
  const std::optional<ProcessorTimes> before = ReadProcessorTimes({});
  const double ownBefore = OwnProcessorSeconds();
  ASSERT_TRUE(before);
  // Work until our own time has grown by 50 ms (on a busy machine that takes longer).
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (OwnProcessorSeconds() - ownBefore < 0.05 && std::chrono::steady_clock::now() < end) {
  }
  EXPECT_GE(OwnProcessorSeconds() - ownBefore, 0.05);
  const std::optional<ProcessorTimes> after = ReadProcessorTimes({});
  ASSERT_TRUE(after);
  EXPECT_GT(after->total, before->total);
  EXPECT_GE(after->busy - before->busy, 0.04);  // the system's accounting saw that work
  const MachineEnvironment environment = ReadMachineEnvironment({}, std::chrono::milliseconds(50));
  ASSERT_TRUE(environment.otherLoadPercent);
  EXPECT_GE(*environment.otherLoadPercent, 0.0);
  EXPECT_LE(*environment.otherLoadPercent, 100.0);
  EXPECT_EQ(environment.governor, "unknown");
  EXPECT_EQ(CLibraryVersion().rfind("MinGW-w64 ", 0), 0u) << CLibraryVersion();
}

TEST(WindowsUnbufferedFile, RoundTripExclusiveCreationAndDelete_CacheBypassLeftToRealWindows) {
  TemporaryFolder folder;
  const fs::path path = folder.path() / "DISKTEST.DAT";
  AlignedBlock block(262144);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.data()) % 4096, 0u);
  for (std::size_t k = 0; k < block.size(); ++k) block.data()[k] = static_cast<std::byte>(k % 256);
  {
    std::optional<UnbufferedFile> file = UnbufferedFile::CreateNew(path);
    ASSERT_TRUE(file.has_value());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(file->Write(block.data(), block.size()), 262144);
    ASSERT_TRUE(file->SeekToStart());
    AlignedBlock back(262144);
    EXPECT_EQ(file->Read(back.data(), back.size()), 262144);
    EXPECT_EQ(std::memcmp(back.data(), block.data(), block.size()), 0);
    // Another open of the name is refused while this one holds it, and an existing name is
    // never taken over.
    errno = 0;
    EXPECT_FALSE(UnbufferedFile::CreateNew(path).has_value());
    EXPECT_EQ(errno, EEXIST);
    file->Close();
    file->Close();
    EXPECT_EQ(file->Write(block.data(), block.size()), -1);
    EXPECT_EQ(file->Read(block.data(), block.size()), -1);
    EXPECT_FALSE(file->SeekToStart());
  }
  EXPECT_EQ(fs::file_size(path), 3u * 262144u);
  EXPECT_TRUE(UnbufferedFile::Delete(path));
  EXPECT_FALSE(UnbufferedFile::Delete(path)) << "deleted the first time";
  errno = 0;
  EXPECT_FALSE(UnbufferedFile::CreateNew(folder.path() / "missing" / "DISKTEST.DAT").has_value());
  EXPECT_EQ(errno, ENOENT);
}

TEST(WindowsDriveMap, FixedDrivesOnlyInLetterOrderWithTheirRootsAndCurrentFolders) {
  const std::vector<DriveMapping> drives = MapSystemDrives();
  ASSERT_FALSE(drives.empty());  // the system drive at least
  char previous = 'B';
  const fs::path current = fs::current_path();
  for (const DriveMapping& drive : drives) {
    EXPECT_GT(drive.letter, previous);
    EXPECT_LE(drive.letter, 'Z');
    previous = drive.letter;
    EXPECT_EQ(drive.mountPoint, std::string{drive.letter} + ":\\");
    const wchar_t root[] = {static_cast<wchar_t>(drive.letter), L':', L'\\', L'\0'};
    EXPECT_EQ(GetDriveTypeW(root), static_cast<UINT>(DRIVE_FIXED)) << drive.letter;
    const fs::path folder = DriveFolder(drive);
    EXPECT_EQ(folder.string().substr(0, 3), drive.mountPoint) << folder;
    // The current folder of the current drive is where its disk test makes its file.
    if (std::toupper(current.string()[0]) == drive.letter) { EXPECT_EQ(folder, current); }
  }
  const std::array<bool, 26> available = DriveAvailability(drives);
  EXPECT_FALSE(available[0]);
  EXPECT_FALSE(available[1]);
}

TEST(WindowsPriority, ClassesSwitchAndTheLowestThreadIsRaisedAgain_RealTimeGrantLeftToRealWindows) {
  // Windows grants the high class instead of the real-time one without the privilege; what
  // SetRealTimePriority reports must be the class the process holds.
  const bool granted = SetRealTimePriority();
  EXPECT_EQ(granted, GetPriorityClass(GetCurrentProcess()) == REALTIME_PRIORITY_CLASS);
  EXPECT_EQ(IsRealTimePriority(), GetPriorityClass(GetCurrentProcess()) == REALTIME_PRIORITY_CLASS);
  SetNormalPriority();
  EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
  EXPECT_FALSE(IsRealTimePriority());

  std::atomic<int> threadId{0};
  std::atomic<int> priority{THREAD_PRIORITY_ERROR_RETURN};
  Event lowered, raised;
  std::thread thread([&] {
    SetLowestThreadPriority();
    priority = GetThreadPriority(GetCurrentThread());
    threadId = CurrentThreadId();
    lowered.Set();
    raised.Wait();
    priority = GetThreadPriority(GetCurrentThread());
  });
  lowered.Wait();
  EXPECT_EQ(priority.load(), THREAD_PRIORITY_LOWEST);
  EXPECT_NE(threadId.load(), 0);
  RaiseToCallerPriority(thread.native_handle(), threadId.load());
  raised.Set();
  thread.join();
  EXPECT_EQ(priority.load(), GetThreadPriority(GetCurrentThread()));
  RaiseToCallerPriority(thread.native_handle(), threadId.load());  // an ended thread: no effect
}

TEST(WindowsWorkerThread, StartsAndEndsASpinningThreadByForce) {
  std::atomic<bool> running{false};
  std::optional<std::thread> thread = StartThread([&] {
    running = true;
    for (;;) {
    }
  });
  ASSERT_TRUE(thread.has_value());
  while (!running) std::this_thread::yield();
  EndThreadByForce(*thread);
  EXPECT_FALSE(thread->joinable());
}

TEST(WindowsSaveFile, NewReplacedAndRefusedTargetsLeaveNoTemporaryFile) {
  TemporaryFolder folder;
  const fs::path path = folder.path() / "r.qv3";
  EXPECT_FALSE(CheckSaveTarget(path));
  ASSERT_FALSE(SaveFileContents(path, "first\r\n"));
  EXPECT_EQ(Contents(path), "first\r\n");
  ASSERT_FALSE(SaveFileContents(path, "second"));
  EXPECT_EQ(Contents(path), "second");

  const fs::path readOnly = folder.path() / "ro.qv3";
  ASSERT_FALSE(SaveFileContents(readOnly, "kept"));
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(CheckSaveTarget(readOnly), std::errc::permission_denied);
  EXPECT_EQ(SaveFileContents(readOnly, "lost"), std::errc::permission_denied);
  EXPECT_EQ(Contents(readOnly), "kept");

  EXPECT_EQ(SaveFileContents(folder.path(), "x"), std::errc::is_a_directory);
  EXPECT_EQ(SaveFileContents(folder.path() / "missing" / "x", "x"), std::errc::no_such_file_or_directory);
  EXPECT_EQ(CheckSaveTarget(folder.path() / "missing" / "x"), std::errc::no_such_file_or_directory);

  // A device is written in place, never replaced.
  EXPECT_FALSE(SaveFileContents("NUL", "nothing"));

  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.path())) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"r.qv3", "ro.qv3"}));
}

}  // namespace
}  // namespace quorvane

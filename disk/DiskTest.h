// The disk throughput test of one drive: a 5120-kilobyte test file written and read back with
// the system's cache bypassed, pass after pass, each direction timed separately, while the CPU
// usage meter counts how much processor time the disk work takes. It shows its failures through
// the message function it is given, each naming the file and the system's reason; leaves no test
// file behind, and never measures buffered I/O nor beside another disk test in the same folder.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "disk/CpuUsageMeter.h"
#include "platform/PerformanceCounter.h"
#include "platform/UnbufferedFile.h"

namespace quorvane {

// The clock that times each direction of a pass: a tick count, and its ticks per second.
struct PassClock {
  std::function<std::int64_t()> ticks = QueryPerformanceCounter;
  std::function<std::int64_t()> ticksPerSecond = QueryPerformanceFrequency;
};

struct DiskTestEnvironment {
  // The folder in which the test file of a drive is made; none for a drive that does not exist.
  std::function<std::optional<std::filesystem::path>(char letter)> folderOf;
  // How long the meter counts on the idle machine before the passes.
  std::chrono::milliseconds calibration{6000};
  // How long a stopped meter thread may take to end.
  std::chrono::milliseconds stopGrace{2000};
  // Shows a failure: text and caption, in a box without owner window.
  ShowMessage showMessage;
  // Shows a note that is no failure (a leftover test file removed); showMessage when empty.
  ShowMessage showNote;
  // The meter's counting loop (tests give one that does not stop).
  CounterRoutine counter = IdleLoopCounter;
  // Starts the meter's thread (tests give one that refuses).
  ThreadStarter startThread = StartThread;
  // Times the passes (tests give one whose ticks they choose).
  PassClock clock;
  // The bytes free for the user on the filesystem of a folder (tests give one that is full).
  std::function<std::optional<std::uintmax_t>(const std::filesystem::path& folder)> freeSpace =
      UnbufferedFile::FreeSpace;
};

constexpr std::int32_t kDiskBlockSize = 262144;  // 256 KiB
constexpr int kBlocksPerPass = 20;               // 5120 KiB a pass
constexpr std::uintmax_t kDiskTestFileSize = std::uintmax_t{kDiskBlockSize} * kBlocksPerPass;
constexpr const char* kDiskTestFileName = "DISKTEST.DAT";

// The messages of the disk test (text, then caption). The meter's own stop failure message is
// CpuUsageMeter::kStopFailedText / kStopFailedCaption.
constexpr std::string_view kOpenFailedText =
    "Error opening test file. Make sure you've got admin rights!";
constexpr std::string_view kOpenFailedCaption = "Can't open test file";
constexpr std::string_view kWriteFailedText = "Can't write test file";
constexpr std::string_view kWriteFailedCaption = "Error writing to test file";
constexpr std::string_view kReadFailedText = "Error reading to test file";
constexpr std::string_view kReadFailedCaption = "Can't read test file";
constexpr std::string_view kFileExistsCaption = "Test file already exists";
constexpr std::string_view kTestRunningCaption = "Another disk test is running";
constexpr std::string_view kLeftoverRemovedCaption = "Test file removed";
constexpr std::string_view kMeterStartFailedText =
    "The CPU usage meter could not start its thread.";
constexpr std::string_view kMeterStartFailedCaption = "Can't start the CPU usage meter";

// The message when something already has the test file's name (a file, a link): it names it.
std::string FileExistsText(const std::filesystem::path& path);
// The message when another disk test is running in the folder of `path`.
std::string TestRunningText(const std::filesystem::path& path);
// The note when the leftover of a test that ended abnormally was removed from `path`.
std::string LeftoverRemovedText(const std::filesystem::path& path);

// The seven results of one drive's disk test, in the order of the drive's block of result rows:
// the fastest, overall and slowest pass of reading and of writing, in kilobytes of 1024 bytes per
// second, then the processor time the disk work took, in percent. None is below 0.
struct DiskResults {
  std::int32_t readMax = 0;
  std::int32_t readAverage = 0;
  std::int32_t readMin = 0;
  std::int32_t writeMax = 0;
  std::int32_t writeAverage = 0;
  std::int32_t writeMin = 0;
  std::int32_t cpuUsage = 0;

  // The values in the order of the drive block's rows.
  std::array<std::int32_t, 7> Rows() const {
    return {readMax, readAverage, readMin, writeMax, writeAverage, writeMin, cpuUsage};
  }
  bool operator==(const DiskResults&) const = default;
};

// Runs `passes` passes on drive `letter` ('C'..'Z'). On success returns the seven results; on
// any failure nothing, after showing its message.
// Threads and blocking: any thread may call it, and tests in different folders may run at once;
// it blocks for the calibration (environment.calibration) and every pass, seconds in all, and
// its messages are shown on the calling thread, one at a time, while it waits for them. It
// starts one thread, the meter's, and has ended it before it returns. The caller keeps
// `environment` alive for the call; nothing else is held, and no lock is needed.
//  - The test file is `DISKTEST.DAT` in environment.folderOf(letter); a drive without a folder
//    fails as a file that cannot be created does. The file is created exclusively and never
//    through a link.
//  - Before the meter's calibration, so that nothing is waited for in vain: the test's folder
//    is locked for the whole test (FolderLock.h); a folder locked by another test fails with
//    TestRunningText / kTestRunningCaption, and that test's file is neither removed nor
//    measured beside. A leftover of a test that ended abnormally (UnbufferedFile::ClearLeftover)
//    is removed with the note LeftoverRemovedText / kLeftoverRemovedCaption and the test goes
//    on; anything else that has the name is left untouched and the test fails with
//    FileExistsText / kFileExistsCaption. Then the file is made and removed once (a folder that
//    is missing or not writable, or a filesystem that cannot bypass its cache, fails with the
//    open failure message), and a filesystem with less free space than one pass's file fails
//    with the write failure message.
//  - Every one of the 20 writes and 20 reads of a pass is checked: an error or a short count
//    ends the test with the write or read failure message.
//  - Every failure message is the specified text followed by " (FILE: REASON)": the system's
//    reason, and for a lack of space how much the test needs and how much is free.
//  - The meter is stopped before a failure returns (a failing stop then shows its own message as
//    the second one), and no test file remains.
//  - passes < 1 is refused at once: nothing, no message, nothing measured and no file touched (no
//    pass would leave every rate a division by zero).
//  - Throws std::bad_alloc when the 256 KiB block cannot be had (no meter thread is running
//    then, and no file exists).
std::optional<DiskResults> MeasureDrive(char letter, std::int32_t passes,
                                        const DiskTestEnvironment& environment);

// MeasureDrive with the seven results as outputs, in the order of DiskResults: 0 and the
// outputs set on success, -1 and the outputs left as they were on failure.
std::int32_t RunDiskTest(char letter, std::int32_t passes, std::int32_t& readMax,
                         std::int32_t& readAverage, std::int32_t& readMin, std::int32_t& writeMax,
                         std::int32_t& writeAverage, std::int32_t& writeMin, std::int32_t& cpuUsage,
                         const DiskTestEnvironment& environment);

}  // namespace quorvane

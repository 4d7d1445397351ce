#include "disk/DiskTest.h"

#include <cerrno>
#include <cstddef>
#include <system_error>
#include <thread>
#include <tuple>

#include "numeric/Conversions.h"
#include "platform/FolderLock.h"
#include "platform/UnbufferedFile.h"

namespace quorvane {

namespace {

constexpr double kKilobytesPerPass = 5120.0;
constexpr std::uint32_t kKilobytesPerPassInt = 5120;

// The pass times of one direction, in seconds.
struct PassTimes {
  double sum = 0.0;
  double shortest = 1.7976931348623157e308;  // the largest finite double
  double longest = 0.0;

  void Add(double seconds) {
    sum += seconds;
    if (seconds < shortest) shortest = seconds;
    if (seconds > longest) longest = seconds;
  }
};

double Seconds(std::int64_t start, std::int64_t end, std::int64_t frequency) {
  return static_cast<double>(end - start) / static_cast<double>(frequency);
}

// Byte k holds k modulo 256.
void FillBlock(AlignedBlock& block) {
  for (std::size_t k = 0; k < block.size(); ++k) block.data()[k] = static_cast<std::byte>(k % 256);
}

// The 20 writes of a pass, back to back, up to the first call that fails or writes less than
// the block; what that call gave (the block's size when all went well, errno set on -1).
// Nothing but the check of each call may be added here: it runs inside the timing.
inline long WriteBlocks(UnbufferedFile& file, const AlignedBlock& block) {
  for (int i = 0; i < kBlocksPerPass; ++i) {
    const long written = file.Write(block.data(), kDiskBlockSize);
    if (written != kDiskBlockSize) return written;
  }
  return kDiskBlockSize;
}

// The 20 reads of a pass into the block, likewise. The data read is not looked at.
inline long ReadBlocks(UnbufferedFile& file, AlignedBlock& block) {
  for (int i = 0; i < kBlocksPerPass; ++i) {
    const long read = file.Read(block.data(), kDiskBlockSize);
    if (read != kDiskBlockSize) return read;
  }
  return kDiskBlockSize;
}

// A failure's message: the specified text, then the file and the reason in parentheses.
std::string Explained(std::string_view text, const std::filesystem::path& path,
                      std::string_view reason) {
  return std::string(text) + " (" + path.string() + ": " + std::string(reason) + ")";
}

using FreeSpaceReader = decltype(DiskTestEnvironment::freeSpace);

// What the test needs against what the filesystem of `folder` has left, when that can be told.
std::string SpaceNeeded(const std::filesystem::path& folder, const FreeSpaceReader& freeSpace) {
  const std::optional<std::uintmax_t> free = freeSpace ? freeSpace(folder) : std::nullopt;
  if (!free) return {};
  return "; the test needs " + std::to_string(kDiskTestFileSize / 1024) + " kB, " +
         std::to_string(*free / 1024) + " kB are free";
}

// The system's reason for the error `error` about the test file `path`; for a full disk with
// the space the test needs and the space that is free.
std::string SystemReason(int error, const std::filesystem::path& path,
                         const FreeSpaceReader& freeSpace) {
  std::string reason = std::generic_category().message(error);
  if (error == ENOSPC) reason += SpaceNeeded(path.parent_path(), freeSpace);
  return reason;
}

// Why a transfer of `done` bytes (-1: the call failed with errno) fell short of a block.
std::string TransferReason(long done, const char* verb, const std::filesystem::path& path,
                           const FreeSpaceReader& freeSpace) {
  if (done < 0) return SystemReason(errno, path, freeSpace);
  return "only " + std::to_string(done) + " of " + std::to_string(kDiskBlockSize) + " bytes were " +
         verb;
}

// Why the test file `path` could not be created (errno).
std::string CreateReason(const std::filesystem::path& path, const FreeSpaceReader& freeSpace) {
  // Unbuffered files are refused where the cache cannot be bypassed (also memory-only folders).
  if (errno == EINVAL) return "this filesystem cannot write and read without its cache";
  return SystemReason(errno, path, freeSpace);
}

// Shows why the test file `path` could not be created; whatever already has the name belongs to
// someone and is left as it is.
void ShowCreateFailure(const std::filesystem::path& path, const ShowMessage& show,
                       const FreeSpaceReader& freeSpace) {
  if (errno == EEXIST) {
    show(FileExistsText(path), kFileExistsCaption);
  } else {
    show(Explained(kOpenFailedText, path, CreateReason(path, freeSpace)), kOpenFailedCaption);
  }
}

// A pass that went wrong after the file was created: the message, then the file closed and
// deleted.
bool AbandonPass(UnbufferedFile& file, const std::filesystem::path& path, std::string_view text,
                 std::string_view caption, const ShowMessage& show) {
  show(text, caption);
  file.Close();
  UnbufferedFile::Delete(path);
  return false;
}

// One pass: create the file, write and time 20 blocks, go back to the start, read and time 20
// blocks, close and delete. On a failure shows its message, leaves no file and returns false.
bool RunPass(const std::filesystem::path& path, AlignedBlock& block, PassTimes& writes,
             PassTimes& reads, const DiskTestEnvironment& environment, const ShowMessage& show) {
  const PassClock& clock = environment.clock;
  const FreeSpaceReader& freeSpace = environment.freeSpace;
  std::optional<UnbufferedFile> file = UnbufferedFile::CreateNew(path);
  if (!file) {
    ShowCreateFailure(path, show, freeSpace);
    return false;
  }

  const std::int64_t frequency = clock.ticksPerSecond();
  std::int64_t start = clock.ticks();
  const long written = WriteBlocks(*file, block);
  if (written != kDiskBlockSize) {
    const std::string reason = TransferReason(written, "written", path, freeSpace);
    return AbandonPass(*file, path, Explained(kWriteFailedText, path, reason), kWriteFailedCaption,
                       show);
  }
  std::int64_t end = clock.ticks();
  writes.Add(Seconds(start, end, frequency));

  if (!file->SeekToStart()) {
    const std::string reason = SystemReason(errno, path, freeSpace);
    return AbandonPass(*file, path, Explained(kReadFailedText, path, reason), kReadFailedCaption,
                       show);
  }
  start = clock.ticks();
  const long read = ReadBlocks(*file, block);
  if (read != kDiskBlockSize) {
    const std::string reason = TransferReason(read, "read", path, freeSpace);
    return AbandonPass(*file, path, Explained(kReadFailedText, path, reason), kReadFailedCaption,
                       show);
  }
  end = clock.ticks();
  reads.Add(Seconds(start, end, frequency));

  file->Close();
  UnbufferedFile::Delete(path);
  return true;
}

// What is found out before the meter's calibration: whether another test runs in the folder,
// what already has the file's name, whether the file can be made there and one pass's file
// fits. Shows the message and returns false when the test cannot go on.
bool ReadyToMeasure(const std::filesystem::path& path, const FolderLock& lock,
                    const FreeSpaceReader& freeSpace, const ShowMessage& show,
                    const ShowMessage& note) {
  if (lock.Busy()) {
    show(TestRunningText(path), kTestRunningCaption);
    return false;
  }
  switch (UnbufferedFile::ClearLeftover(path, kDiskTestFileSize)) {
    case LeftoverFile::None:
      break;
    case LeftoverFile::Removed:
      note(LeftoverRemovedText(path), kLeftoverRemovedCaption);
      break;
    case LeftoverFile::InUse:
      show(TestRunningText(path), kTestRunningCaption);
      return false;
    case LeftoverFile::Kept:
      show(FileExistsText(path), kFileExistsCaption);
      return false;
  }
  std::optional<UnbufferedFile> probe = UnbufferedFile::CreateNew(path);
  if (!probe) {
    ShowCreateFailure(path, show, freeSpace);
    return false;
  }
  probe->Close();
  UnbufferedFile::Delete(path);
  const std::optional<std::uintmax_t> free =
      freeSpace ? freeSpace(path.parent_path()) : std::nullopt;
  if (free && *free < kDiskTestFileSize) {
    show(Explained(kWriteFailedText, path, SystemReason(ENOSPC, path, freeSpace)),
         kWriteFailedCaption);
    return false;
  }
  return true;
}

struct Rates {
  std::int32_t max = 0;
  std::int32_t average = 0;
  std::int32_t min = 0;
};

// Fastest, overall and slowest rate of one direction in kilobytes per second; `kilobytes` is
// what all passes moved. The average is total kilobytes over total time.
Rates RatesOf(const PassTimes& times, double kilobytes) {
  return {TruncToInt32Low(kKilobytesPerPass / times.shortest),
          TruncToInt32Low(kilobytes / times.sum),
          TruncToInt32Low(kKilobytesPerPass / times.longest)};
}

}  // namespace

std::string FileExistsText(const std::filesystem::path& path) {
  return "The test file " + path.string() +
         " already exists. It is left as it is: remove it, then start the test again.";
}

std::string TestRunningText(const std::filesystem::path& path) {
  return "Another disk test is running in " + path.parent_path().string() + " (its file " +
         path.string() + "): this test leaves that file alone and measures nothing. Start it " +
         "again when the other one has finished.";
}

std::string LeftoverRemovedText(const std::filesystem::path& path) {
  return "The test file " + path.string() +
         " was left behind by a disk test that ended abnormally. It has been removed and the test "
         "goes on.";
}

std::optional<DiskResults> MeasureDrive(char letter, std::int32_t passes,
                                        const DiskTestEnvironment& environment) {
  if (passes < 1) return std::nullopt;
  const ShowMessage show = [&environment](std::string_view text, std::string_view caption) {
    if (environment.showMessage) environment.showMessage(text, caption);
  };
  const ShowMessage note = environment.showNote ? environment.showNote : show;

  std::optional<std::filesystem::path> folder;
  if (environment.folderOf) folder = environment.folderOf(letter);
  if (!folder) {
    show(std::string(kOpenFailedText) + " (drive " + letter + ": not available on this system)",
         kOpenFailedCaption);
    return std::nullopt;
  }
  const std::filesystem::path path = *folder / kDiskTestFileName;
  // Held until the test returns: a second test in this folder sees it between passes too.
  const FolderLock lock(*folder);
  if (!ReadyToMeasure(path, lock, environment.freeSpace, show, note)) return std::nullopt;

  PassTimes writes;
  PassTimes reads;
  std::int32_t completed = 0;

  // Calibration: the meter alone on the idle machine.
  CpuUsageMeter meter(environment.counter, environment.startThread);
  if (!meter.Start()) {
    show(kMeterStartFailedText, kMeterStartFailedCaption);
    return std::nullopt;
  }
  std::this_thread::sleep_for(environment.calibration);
  if (!meter.Stop(environment.stopGrace, show)) return std::nullopt;
  const double referenceRate = meter.IdleRate();

  AlignedBlock block(static_cast<std::size_t>(kDiskBlockSize));
  FillBlock(block);

  // Measurement: the meter counts through every pass, files made and removed included.
  meter.ResetStopEvent();
  if (!meter.Start()) {
    show(kMeterStartFailedText, kMeterStartFailedCaption);
    return std::nullopt;
  }
  while (completed < passes) {
    if (!RunPass(path, block, writes, reads, environment, show)) {
      meter.Stop(environment.stopGrace, show);  // a failure whatever the stop gives
      return std::nullopt;
    }
    ++completed;
  }
  if (!meter.Stop(environment.stopGrace, show)) return std::nullopt;
  const double loadedRate = meter.IdleRate();

  const double kilobytes =
      static_cast<double>(static_cast<std::uint32_t>(completed) * kKilobytesPerPassInt);
  const Rates read = RatesOf(reads, kilobytes);
  const Rates write = RatesOf(writes, kilobytes);
  return DiskResults{read.max,
                     read.average,
                     read.min,
                     write.max,
                     write.average,
                     write.min,
                     CpuUsagePercent(referenceRate, loadedRate)};
}

std::int32_t RunDiskTest(char letter, std::int32_t passes, std::int32_t& readMax,
                         std::int32_t& readAverage, std::int32_t& readMin, std::int32_t& writeMax,
                         std::int32_t& writeAverage, std::int32_t& writeMin, std::int32_t& cpuUsage,
                         const DiskTestEnvironment& environment) {
  const std::optional<DiskResults> results = MeasureDrive(letter, passes, environment);
  if (!results) return -1;
  std::tie(readMax, readAverage, readMin, writeMax, writeAverage, writeMin, cpuUsage) =
      std::tie(results->readMax, results->readAverage, results->readMin, results->writeMax,
               results->writeAverage, results->writeMin, results->cpuUsage);
  return 0;
}

}  // namespace quorvane

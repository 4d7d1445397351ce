#include "disk/DiskTest.h"

#include <cerrno>
#include <cstddef>
#include <thread>

#include "numeric/Conversions.h"
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

// The 20 writes of a pass, back to back; false at the first call that fails or writes less than
// the block. Nothing but the check of each call may be added here: it runs inside the timing.
inline bool WriteBlocks(UnbufferedFile& file, const AlignedBlock& block) {
  for (int i = 0; i < kBlocksPerPass; ++i) {
    if (file.Write(block.data(), kDiskBlockSize) != kDiskBlockSize) return false;
  }
  return true;
}

// The 20 reads of a pass into the block, likewise. The data read is not looked at.
inline bool ReadBlocks(UnbufferedFile& file, AlignedBlock& block) {
  for (int i = 0; i < kBlocksPerPass; ++i) {
    if (file.Read(block.data(), kDiskBlockSize) != kDiskBlockSize) return false;
  }
  return true;
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
bool RunPass(const std::optional<std::filesystem::path>& path, AlignedBlock& block,
             PassTimes& writes, PassTimes& reads, const PassClock& clock, const ShowMessage& show) {
  std::optional<UnbufferedFile> file;
  if (path) file = UnbufferedFile::CreateNew(*path);
  if (!file) {
    // Whatever already has the name belongs to someone: it is left as it is.
    if (path && errno == EEXIST) {
      show(FileExistsText(*path), kFileExistsCaption);
    } else {
      show(kOpenFailedText, kOpenFailedCaption);
    }
    return false;
  }

  const std::int64_t frequency = clock.ticksPerSecond();
  std::int64_t start = clock.ticks();
  if (!WriteBlocks(*file, block)) {
    return AbandonPass(*file, *path, kWriteFailedText, kWriteFailedCaption, show);
  }
  std::int64_t end = clock.ticks();
  writes.Add(Seconds(start, end, frequency));

  if (!file->SeekToStart()) {
    return AbandonPass(*file, *path, kReadFailedText, kReadFailedCaption, show);
  }
  start = clock.ticks();
  if (!ReadBlocks(*file, block)) {
    return AbandonPass(*file, *path, kReadFailedText, kReadFailedCaption, show);
  }
  end = clock.ticks();
  reads.Add(Seconds(start, end, frequency));

  file->Close();
  UnbufferedFile::Delete(*path);
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

std::int32_t RunDiskTest(char letter, std::int32_t passes, std::int32_t& readMax,
                         std::int32_t& readAverage, std::int32_t& readMin,
                         std::int32_t& writeMax, std::int32_t& writeAverage,
                         std::int32_t& writeMin, std::int32_t& cpuUsage,
                         const DiskTestEnvironment& environment) {
  if (passes < 1) return -1;
  const ShowMessage show = [&environment](std::string_view text, std::string_view caption) {
    if (environment.showMessage) environment.showMessage(text, caption);
  };

  PassTimes writes;
  PassTimes reads;
  std::int32_t completed = 0;

  // Calibration: the meter alone on the idle machine.
  CpuUsageMeter meter(environment.counter, environment.startThread);
  if (!meter.Start()) {
    show(kMeterStartFailedText, kMeterStartFailedCaption);
    return -1;
  }
  std::this_thread::sleep_for(environment.calibration);
  if (!meter.Stop(environment.stopGrace, show)) return -1;
  const double referenceRate = meter.IdleRate();

  AlignedBlock block(static_cast<std::size_t>(kDiskBlockSize));
  FillBlock(block);
  std::optional<std::filesystem::path> path;
  if (environment.folderOf) {
    if (std::optional<std::filesystem::path> folder = environment.folderOf(letter)) {
      path = *folder / kDiskTestFileName;
    }
  }

  // Measurement: the meter counts through every pass, files made and removed included.
  meter.ResetStopEvent();
  if (!meter.Start()) {
    show(kMeterStartFailedText, kMeterStartFailedCaption);
    return -1;
  }
  while (completed < passes) {
    if (!RunPass(path, block, writes, reads, environment.clock, show)) {
      meter.Stop(environment.stopGrace, show);  // -1 whatever the stop gives
      return -1;
    }
    ++completed;
  }
  if (!meter.Stop(environment.stopGrace, show)) return -1;
  const double loadedRate = meter.IdleRate();

  const double kilobytes =
      static_cast<double>(static_cast<std::uint32_t>(completed) * kKilobytesPerPassInt);
  const Rates read = RatesOf(reads, kilobytes);
  const Rates write = RatesOf(writes, kilobytes);
  cpuUsage = CpuUsagePercent(referenceRate, loadedRate);
  readMax = read.max;
  readAverage = read.average;
  readMin = read.min;
  writeMax = write.max;
  writeAverage = write.average;
  writeMin = write.min;
  return 0;
}

}  // namespace quorvane

// Faults forced on the whole program: the memory test with 128 workers when the address space
// runs out, and odd result files read from disk. Each must end with a clear message or a clean
// result, never a crash or a hang.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/TestRunner.h"
#include "report/ResultFile.h"

namespace quorvane {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;  // sanitizers reserve terabytes of address space
#else
constexpr bool kSanitized = false;
#endif

// Counts what the runner reports; everything else is ignored.
class CountingHost : public RunHost {
 public:
  explicit CountingHost(BenchmarkState& state) : state_(state) {}
  void ConfirmDescription() override {
    SetField(state_.thisMachine.threads, "128");
    state_.descriptionConfirmed = true;
  }
  void ShowReport() override {}
  void ResultsChanged() override { ++rows; }
  void Progress(const RunProgress&) override {}
  void ShowError(std::string_view text, std::string_view) override {
    ++errors;
    lastError = std::string(text);
  }
  int rows = 0;
  int errors = 0;
  std::string lastError;

 private:
  BenchmarkState& state_;
};

std::size_t AddressSpaceInUse() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

TEST(FaultInjection, TheMemoryTestWithoutEnoughAddressSpaceReportsAndGoesOn) {
  if (kSanitized) GTEST_SKIP() << "an address space limit cannot be combined with a sanitizer";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(120);  // a hang ends the child with SIGALRM, which the parent sees
    // Room for the stacks and buffers of a few workers, not for 128 workers' 4 GiB.
    const rlim_t limit = AddressSpaceInUse() + (std::size_t{160} << 20);
    const rlimit cap{limit, limit};
    if (setrlimit(RLIMIT_AS, &cap) != 0) _exit(10);
    auto state = std::make_unique<BenchmarkState>();
    state->testSelection.RealTimePriority = false;
    ToggleTest(state->testSelection, TestId::Memory);
    CountingHost host(*state);
    TestRunner runner;
    runner.OnRunSelectedTests(*state, host);
    // Workers that could not start or could not get their buffer: one error, no row.
    std::fprintf(stderr, "the runner said: %s\n", host.lastError.c_str());
    if (state->thisResults[0].code != '\0' || host.rows != 0) _exit(11);
    if (host.errors != 1) _exit(12);
    if (host.lastError.find("Memory throughput") == std::string::npos) _exit(13);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(FaultInjection, OddResultFilesOnDiskReadWithoutHarm) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("quorvane-odd-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  struct Case {
    const char* name;
    std::string bytes;
    FileOutcome outcome;
  };
  const std::string description = "\r\nx\r\nA\r\nB\r\nC\r\nD\r\nE\r\nF\r\nG\r\nH\r\nI\r\nJ\r\nK\r\nL\r\n1\r\n1";
  const Case cases[] = {
      {"long lines", std::string(100000, 'd') + "\r\nx\r\n" + std::string(100000, 'b') + "\r\n" +
                         std::string(100000, 'C'), FileOutcome::Done},
      {"NUL bytes", std::string("d      1234B\r\nx\r\nbr\0and\r\n", 24) + std::string(5, '\0'),
       FileOutcome::Done},
      {"no line ends", "d      1234Bw       999A" + std::string(5000, ' '), FileOutcome::Done},
      {"CR without LF", "d      1234B\rx\rBrand\rModel\r", FileOutcome::Done},
      {"NUL drive line", "d      1234B" + description + "\r\n" + std::string(1, '\0') + "C",
       FileOutcome::NotResultFile},
  };
  for (const Case& odd : cases) {
    SCOPED_TRACE(odd.name);
    const std::filesystem::path path = folder / "odd.qv3";
    std::ofstream(path, std::ios::binary) << odd.bytes;
    auto state = std::make_unique<BenchmarkState>();
    SetField(state->thisMachine.os, "kept");
    EXPECT_EQ(ReadResultFile(*state, FileTarget::ThisMachine, path), odd.outcome);
    EXPECT_EQ(state->thisResults[0].code, odd.bytes[0] == '\r' ? '\0' : odd.bytes[0]);
    for (const auto field : kMachineFields) EXPECT_LE(FieldText(state->thisMachine.*field).size(), 63u);
    for (const DriveDescription& drive : state->thisDrives) EXPECT_LE(FieldText(drive.letter).size(), 63u);
  }
  // The records of a file without line ends are read; the description is not there.
  auto state = std::make_unique<BenchmarkState>();
  SetField(state->thisMachine.os, "kept");
  std::ofstream(folder / "flat.qv3", std::ios::binary) << "d      1234Bw       999A";
  ASSERT_EQ(ReadResultFile(*state, FileTarget::ThisMachine, folder / "flat.qv3"), FileOutcome::Done);
  EXPECT_EQ(state->thisResults[1].code, 'w');
  EXPECT_EQ(FieldText(state->thisMachine.os), "kept");
  // A long first line: the first record fails its check, the 100,000-character brand is cut,
  // and the long drive line describes drive C.
  std::ofstream(folder / "long.qv3", std::ios::binary) << cases[0].bytes;
  ASSERT_EQ(ReadResultFile(*state, FileTarget::ThisMachine, folder / "long.qv3"), FileOutcome::Done);
  EXPECT_EQ(FieldText(state->thisMachine.brand), std::string(63, 'b'));
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quorvane

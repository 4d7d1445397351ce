// A fault forced on the whole program: the memory test with 128 workers when the address space
// runs out must end with a clear message (and exit status 1 from quorvane-cli), never a crash
// or a hang.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "cli/CliProgram.h"
#include "engine/TestRunner.h"

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
    // quorvane-cli says so with exit status 1.
    std::ostringstream out, err;
    const char* const argv[] = {"quorvane-cli", "-q", "--no-realtime", "-t", "m", "-j", "128"};
    if (RunCli(7, argv, out, err) != 1) _exit(14);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace quorvane

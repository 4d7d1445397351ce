// A fault forced on the whole program: the memory test with 128 workers when the address space
// runs out must end with one clear message, no row and exit status 1 from quorvane-cli, never a
// crash or a hang.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/cli_invoke.h"

namespace quorvane {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;  // sanitizers reserve terabytes of address space
#else
constexpr bool kSanitized = false;
#endif

TEST(FaultInjection, TheMemoryTestWithoutEnoughAddressSpaceReportsOnceAndExitsWithOne) {
  if (kSanitized) GTEST_SKIP() << "an address space limit cannot be combined with a sanitizer";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(120);  // a hang ends the child with SIGALRM, which the parent sees
    // Room for the stacks and buffers of a few workers, not for 128 workers' 4 GiB.
    std::size_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + (std::size_t{160} << 20);
    const rlimit cap{limit, limit};
    if (setrlimit(RLIMIT_AS, &cap) != 0) _exit(10);
    const test_support::CliRun run = test_support::Invoke({"-q", "--no-realtime", "-t", "m", "-j", "128"});
    std::fprintf(stderr, "%s", run.err.c_str());
    // Workers that could not start or could not get their buffer: one error naming the test.
    const std::size_t error = run.err.find("quorvane-cli: ");
    if (error == std::string::npos || error != run.err.rfind("quorvane-cli: ")) _exit(11);
    if (run.err.find("Memory throughput") == std::string::npos) _exit(12);
    if (run.out.find("Memory throughput") != std::string::npos) _exit(13);
    _exit(run.status == 1 ? 0 : 14);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace quorvane

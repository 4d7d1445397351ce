// The run host of quorvane-cli: its progress lines on stderr, in a thread sweep naming the
// run's thread count before the test.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/CliHost.h"
#include "cli/ThreadSweep.h"

namespace quorvane {
namespace {

TEST(CliHost, ASweepsProgressNamesTheThreadCountBeforeTheTest) {
  BenchmarkState state;
  std::ostringstream err;
  CliHost host(state, state.thisMachine, err, false);
  host.Progress({2, 7, "Whetstone", true, 2});
  host.NameThreadCount(8);
  host.Progress({2, 7, "Whetstone", true, 2});
  host.NameThreadCount(1);
  host.Progress({1, 1, "Eight queens problem"});
  EXPECT_EQ(err.str(),
            "Round 2: Running Whetstone (2 of 7)...\n"
            "8 threads: Round 2: Running Whetstone (2 of 7)...\n"
            "1 thread: Running Eight queens problem (1 of 1)...\n");
  // Quiet: nothing, sweep or not.
  std::ostringstream quietErr;
  CliHost quiet(state, state.thisMachine, quietErr, true);
  quiet.NameThreadCount(4);
  quiet.Progress({1, 1, "Whetstone"});
  EXPECT_TRUE(quietErr.str().empty());
}

}  // namespace
}  // namespace quorvane

// Test helper: quorvane-cli run in-process through RunCli, with its exit status and what it
// wrote to stdout and stderr.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliProgram.h"

namespace quorvane::test_support {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// A machine with nothing to warn about, so that a run's stderr holds only the run's own lines.
inline MachineEnvironment CalmEnvironment() {
  MachineEnvironment environment;
  environment.otherLoadPercent = 0.0;
  return environment;
}

inline CliRun Invoke(std::vector<const char*> args, const MachineDetector& detect = {},
                     const EnvironmentReader& environment = CalmEnvironment) {
  args.insert(args.begin(), "quorvane-cli");
  std::ostringstream out, err;
  const int status = RunCli(static_cast<int>(args.size()), args.data(), out, err, detect, environment);
  return {status, out.str(), err.str()};
}

}  // namespace quorvane::test_support

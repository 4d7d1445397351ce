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

inline CliRun Invoke(std::vector<const char*> args, const MachineDetector& detect = {}) {
  args.insert(args.begin(), "quorvane-cli");
  std::ostringstream out, err;
  const int status = RunCli(static_cast<int>(args.size()), args.data(), out, err, detect);
  return {status, out.str(), err.str()};
}

}  // namespace quorvane::test_support

// Test helper: quorvane-cli run in-process through RunCli, with its exit status and what it
// wrote to stdout and stderr. Tests record in a history of their own, never the user's.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliProgram.h"

namespace quorvane::test_support {

// A program's output split into its lines, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

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

// Steady runs that take a fraction of a second a test: the work sized to a fifth of a second,
// and two rounds that always agree. No interval counts as disturbed, so that a busy test machine
// adds no warning lines to what a test reads (the runner's tests check disturbed intervals).
inline SteadySettings BriefSteadySettings() {
  SteadySettings settings;
  settings.disturbedShare = 0.0;
  settings.floorSeconds = 0.2;
  settings.agreeingRounds = 2;
  settings.maxRounds = 3;
  settings.tolerancePercent = 100.0;
  return settings;
}

// quorvane-cli with `args` as given: a run is recorded in the history they name (or the default
// one).
inline CliRun InvokeRecording(std::vector<const char*> args, const MachineDetector& detect = {},
                              const EnvironmentReader& environment = CalmEnvironment) {
  args.insert(args.begin(), "quorvane-cli");
  std::ostringstream out, err;
  const int status = RunCli(static_cast<int>(args.size()), args.data(), out, err, detect,
                            environment, BriefSteadySettings());
  return {status, out.str(), err.str()};
}

// quorvane-cli with `args` that records nothing in a history (--no-history first).
inline CliRun Invoke(std::vector<const char*> args, const MachineDetector& detect = {},
                     const EnvironmentReader& environment = CalmEnvironment) {
  args.insert(args.begin(), "--no-history");
  return InvokeRecording(std::move(args), detect, environment);
}

}  // namespace quorvane::test_support

// quorvane-cli as a whole: parse the command line, run the chosen tests, print the report.
// Output goes to the given streams, so the whole program can be driven by tests.
#pragma once

#include <ostream>

#include "engine/SteadyMeasurement.h"
#include "platform/MachineDetection.h"
#include "platform/MachineEnvironment.h"

namespace quorvane {

// Returns the exit status: 0 success, 1 a file could not be read or written or a test or disk
// test failed, 2 bad usage. This machine's description is taken from `detect` (by default this
// computer with its drives) unless a file is loaded or detection is turned off. Before a run the
// machine's environment is read by `readEnvironment` (by default this computer's, measured).
// A steady run (without --quick) measures with `steady`.
int RunCli(int argc, const char* const argv[], std::ostream& out, std::ostream& err,
           const MachineDetector& detect = {}, const EnvironmentReader& readEnvironment = {},
           const SteadySettings& steady = {});

}  // namespace quorvane

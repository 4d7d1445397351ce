// The results of this machine (and the comparison machine's values) as one JSON object, for
// scripts. Reads the store only.
#pragma once

#include <nlohmann/json.hpp>

#include "engine/BenchmarkState.h"
#include "engine/BuildStamp.h"
#include "engine/RepeatedRuns.h"
#include "platform/MachineEnvironment.h"

namespace quorvane {

// {"description": {...}, "threads": N, "lengthFactor": L, "results": [{code, test, unit, value,
// comparison?}, ...]}. Drive blocks give seven rows each, with "drive" set. With a repeated run
// the values are medians, each row adds samples, min, max, spread (percent), noisy and
// missingRepetitions (when some had no value), and "repeat" gives the number of repetitions.
nlohmann::json ResultsAsJson(const BenchmarkState& state, const RepeatedRuns* repeated = nullptr);

// The "results" array of `thisResults`, each row with the value of `otherResults` it is
// compared with, if any.
nlohmann::json ResultRowsAsJson(const ResultTable& thisResults, const ResultTable& otherResults,
                                const RepeatedRuns* repeated = nullptr);

// {"otherLoadPercent": percent to a tenth, or "unknown", "governor", "virtualMachine", "virtualEvidence"?,
// "processor", "sharedCores", "warnings": [...], "build": {"compiler", "kernelFlags",
// "cLibrary", "mathLibrary", "version"}}.
nlohmann::json EnvironmentAsJson(const MachineEnvironment& environment, const BuildStamp& build);

}  // namespace quorvane

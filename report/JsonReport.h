// The results of this machine (and the comparison machine's values) as one JSON object, for
// scripts (quorvane-cli --json), and the details of a run that the history keeps beside its
// result file (both programs). Reads the store only; any thread that owns it.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "engine/BenchmarkState.h"
#include "engine/BuildStamp.h"
#include "engine/RepeatedRuns.h"
#include "engine/SteadyMeasurement.h"
#include "platform/MachineEnvironment.h"

namespace quorvane {

// {"description": {...}, "threads": N, "lengthFactor": L, "results": [{code, test, unit, value,
// comparison?}, ...]}. Drive blocks give seven rows each, with "drive" set. With a repeated run
// the values are medians, each row adds samples, min, max, spread (percent), noisy and
// missingRepetitions (when some had no value), and "repeat" gives the number of repetitions.
// With `steadyRuns` (the rounds of each steady run, one entry per repetition; none after a quick
// run) "measurement" says "steady", and each steadily measured row adds "steady" (one run) or
// "steadyRepetitions" (one object per repetition): see SteadyAsJson.
nlohmann::json ResultsAsJson(const BenchmarkState& state, const RepeatedRuns* repeated = nullptr,
                             const std::vector<std::vector<SteadyTest>>* steadyRuns = nullptr);

// The "results" array of `thisResults`, each row with the value of `otherResults` it is
// compared with, if any.
nlohmann::json ResultRowsAsJson(const ResultTable& thisResults, const ResultTable& otherResults,
                                const RepeatedRuns* repeated = nullptr,
                                const std::vector<std::vector<SteadyTest>>* steadyRuns = nullptr);

// One test's rounds: {"roundsKept", "roundsDisturbed", "factor", "passes" (each worker's loop
// count in one interval), "intervalSeconds" (the median kept interval), "calibrationSeconds",
// "samples" (the kept rounds' scores in round order), "disturbedSamples", "spread" (percent, of
// the scored samples), "settled" (the last kept rounds agreed), "rounds" (each round in order:
// "score", "seconds", "processorShare" (the workers' processor time over what the interval
// offered), "disturbed")}.
nlohmann::json SteadyAsJson(const SteadyTest& test);

// {"otherLoadPercent": percent to a tenth, or "unknown", "governor", "virtualMachine",
// "virtualEvidence"?, "processor", "sharedCores", "warnings": [...], "build": {"compiler",
// "kernelFlags", "cLibrary", "mathLibrary", "version"}}.
nlohmann::json EnvironmentAsJson(const MachineEnvironment& environment, const BuildStamp& build);

// How a run went, as the history keeps it beside the run's result file, in compact JSON text:
// {"results": this machine's rows as ResultRowsAsJson gives them without comparison values (so
// with a repeated run's samples and the steady rounds), "repeat"?, "measurement"?,
// "environment": EnvironmentAsJson}. Both programs record the same details.
std::string RunDetailsJson(const BenchmarkState& state, const RepeatedRuns* repeated,
                           const std::vector<std::vector<SteadyTest>>* steadyRuns,
                           const MachineEnvironment& environment, const BuildStamp& build);

// `json` as the text quorvane-cli prints, indented by two spaces: UTF-8, every control character
// written as a \u00XX escape (C0 as JSON requires, DEL and C1 too, so that no terminal acts on
// or hides them), bytes that are not UTF-8 as U+FFFD.
std::string JsonText(const nlohmann::json& json);

}  // namespace quorvane

// The results of this machine (and the comparison machine's values) as one JSON object, for
// scripts. Reads the store only.
#pragma once

#include <nlohmann/json.hpp>

#include "engine/BenchmarkState.h"

namespace quorvane {

// {"description": {...}, "threads": N, "lengthFactor": L, "results": [{code, test, unit, value,
// comparison?}, ...]}. Drive blocks give seven rows each, with "drive" set.
nlohmann::json ResultsAsJson(const BenchmarkState& state);

// The "results" array of `thisResults`, each row with the value of `otherResults` it is
// compared with, if any.
nlohmann::json ResultRowsAsJson(const ResultTable& thisResults, const ResultTable& otherResults);

}  // namespace quorvane

// The results of a thread sweep (the same tests run with 1, 2, 4, ... threads) and what they
// give: each test's speed-up over one thread and its efficiency. quorvane-cli's table and JSON
// and the web page read them. Pure data and arithmetic on result tables; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/ResultStore.h"

namespace quorvane {

// The processor and memory results of one run with `threads` worker threads.
struct SweepRun {
  int threads = 1;
  ResultTable results{};
};

// A value over the one-thread value of the same test; none when either is missing or the
// one-thread value is not positive.
std::optional<double> SpeedUp(const std::vector<SweepRun>& runs, const SweepRun& run, char code);

// Speed-up over the thread count, in percent, rounded.
std::int64_t EfficiencyPercent(double speedUp, int threads);

}  // namespace quorvane

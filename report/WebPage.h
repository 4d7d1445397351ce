// The web page of a run: one self-contained HTML5 file (inline CSS and SVG, no script, nothing
// loaded from elsewhere, light and dark colours, printable) that shows the heading of this
// machine and the run, the two descriptions with their drive records, the comparison as a bar
// chart drawn from the chart's rows, the results with units, percents and totals, and, where the
// run has them, each test's samples, the thread sweep, the disk blocks, the environment and the
// build stamp. Every text of the store or the system is escaped (HtmlText.h). Reads what it is
// given and nothing else; any thread.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/BenchmarkState.h"
#include "engine/BuildStamp.h"
#include "engine/RepeatedRuns.h"
#include "engine/SteadyMeasurement.h"
#include "platform/MachineEnvironment.h"
#include "report/SweepResults.h"

namespace quorvane {

// What the page shows. Only `state` is needed; every pointer left null leaves its part out.
struct WebPageContent {
  const BenchmarkState* state = nullptr;
  std::string version;  // the program's version, for the heading
  // When the results were measured (`measured`), or, for results that were loaded and hold no
  // date, when the page is made.
  std::chrono::system_clock::time_point time;
  bool measured = false;
  const std::vector<std::vector<SteadyTest>>* steadyRuns = nullptr;  // one entry per repetition
  const RepeatedRuns* repeated = nullptr;
  const std::vector<SweepRun>* sweep = nullptr;
  const MachineEnvironment* environment = nullptr;
  const BuildStamp* build = nullptr;
};

// The page as UTF-8 bytes; it cannot fail (`content.state` must be set). A state without results
// gives the heading and the descriptions; one without a comparison machine shows this machine
// only.
std::string WebPageBytes(const WebPageContent& content);

// "2026-12-07 21:40 UTC": the time the heading shows.
std::string PageTimeText(std::chrono::system_clock::time_point time);

}  // namespace quorvane

// The one state object of the program: every table of results, descriptions, the report lines
// and the test selection. The front end creates one; every test can start from a fresh one.
#pragma once

#include <array>

#include "engine/ReportLines.h"
#include "engine/ResultStore.h"
#include "engine/TestSelection.h"

namespace quorvane {

struct BenchmarkState {
  ResultTable thisResults{};
  ResultTable otherResults{};
  std::int32_t resultCount = 0;

  MachineDescription thisMachine{};
  MachineDescription otherMachine{};
  DriveTable thisDrives{};
  DriveTable otherDrives{};
  bool descriptionConfirmed = false;

  ReportLines ReportText{};
  bool descriptionShown = false;

  TestSelection testSelection{};
};

}  // namespace quorvane

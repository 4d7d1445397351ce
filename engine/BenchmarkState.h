// The one state object of the program: every table of results, descriptions, the report lines
// and the test selection. The front end creates one; every test can start from a fresh one.
#pragma once

#include <array>

#include "engine/ResultStore.h"
#include "engine/TestSelection.h"

namespace quorvane {

constexpr int kReportLines = 100;
constexpr int kReportLineSize = 256;  // 255 characters and the terminating NUL

// A NUL-terminated text; a line whose first character is NUL is empty.
using ReportLine = std::array<char, kReportLineSize>;
using ReportLines = std::array<ReportLine, kReportLines>;

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

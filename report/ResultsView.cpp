#include "report/ResultsView.h"

#include <array>
#include <cinttypes>
#include <cstdint>
#include <string>

#include "engine/ReportLines.h"
#include "engine/TestTable.h"
#include "engine/Windows1252.h"
#include "report/ResultsModel.h"

namespace quorvane {

namespace {

// Percentages and totals are 64-bit (see the model), so that large values print unwrapped.
#define QV_PERCENT "%3" PRId64

// A test line: label, this value, other value, unit and percent, in the widths of the results
// view. The lines come in the order of the test table and are matched against `thisResults`
// from row 0.
constexpr const char* kTestLineFormat = "%-26.*s%10s %10s  %-9.*s" QV_PERCENT " percent";

constexpr const char* kHeadingThisOther =
    "                                this      other              relative";
constexpr const char* kHeadingComputer =
    "                            computer   computer           performance";
constexpr const char* kHeadingGap = " ";
constexpr const char* kNoComparison = "n/a";

constexpr const char* kTotalCpu =
    "                                           Total CPU      " QV_PERCENT " percent";
constexpr const char* kTotalFpu =
    "                                           Total FPU      " QV_PERCENT " percent";
constexpr const char* kAverage =
    "                                             Average      " QV_PERCENT " percent";
constexpr const char* kApplicationPerformance =
    "                             Application Performance      " QV_PERCENT " percent";

#undef QV_PERCENT

constexpr int kFirstTestLine = 3;
constexpr int kSeparatorWidth = 106;
constexpr int kApplicationGapWidth = 69;

// A row of a drive block: label, the values and unit, with both columns (paired and other-only
// blocks) or with this machine's column alone.
constexpr const char* kDriveRowTwoColumns = "%-26.*s%10s %10s  %.*s ";
constexpr const char* kDriveRowOneColumn = "%-26.*s%10s  %.*s ";

constexpr const char* kPairedHeading = "                             Drive %c    Drive %c";
constexpr const char* kThisOnlyHeading = "                             Drive %c        ";
constexpr const char* kOtherOnlyHeading = "                                        Drive %c";
constexpr const char* kOtherOnlyBlankColumn = " ";

constexpr int kBlockLines = 9;       // a blank line, the heading, the seven rows
constexpr int kBlockLineLimit = 91;  // no block starts at this line or below it
constexpr int kBlockRowLimit = 94;   // rows from here on never start a block

// A value as the report shows it: control bytes as '?'.
std::string ValueString(const ResultEntry& row) { return ShowableText(ValueText(row)); }

// The length of a table text, for a "%.*s" conversion.
int Width(std::string_view text) { return static_cast<int>(text.size()); }

void WriteHeadings(ReportLines& lines) {
  WriteText(lines[0], kHeadingThisOther);
  WriteText(lines[1], kHeadingComputer);
  WriteText(lines[2], kHeadingGap);
}

// Writes the model's test lines from line 3 on. Returns the next free line.
int WriteTestLines(const ResultsModel& model, ReportLines& lines) {
  int line = kFirstTestLine;
  for (const ResultsRow& row : model.rows) {
    const TestInfo& test = *row.test;
    const std::string thisText = ShowableText(row.thisText);
    const std::string otherText = row.otherText ? ShowableText(*row.otherText) : kNoComparison;
    FormatLine(lines[static_cast<std::size_t>(line++)], kTestLineFormat, Width(test.name),
               test.name.data(), thisText.c_str(), otherText.c_str(), Width(test.unit),
               test.unit.data(), row.percent);
  }
  return line;
}

// Writes the model's totals lines from `line` on. Returns the next free line.
int WriteTotals(const ResultsTotals& totals, ReportLines& lines, int line) {
  auto next = [&lines, &line]() -> ReportLine& { return lines[static_cast<std::size_t>(line++)]; };
  if (totals.totalCpu) FormatLine(next(), kTotalCpu, *totals.totalCpu);
  if (totals.totalFpu) FormatLine(next(), kTotalFpu, *totals.totalFpu);
  if (totals.average) FormatLine(next(), kAverage, *totals.average);
  if (totals.applicationPerformance) {
    WriteSpaces(next(), kApplicationGapWidth);
    FormatLine(next(), kApplicationPerformance, *totals.applicationPerformance);
  }
  return line;
}

// Writes one 9-line drive block at `line`. A null side has no block at this row position:
// both present give a paired block, otherwise a this-only or an other-only block.
void WriteDriveBlock(ReportLines& lines, int line, const ResultEntry* thisBlock,
                     const ResultEntry* otherBlock) {
  auto at = [&lines, line](int offset) -> ReportLine& {
    return lines[static_cast<std::size_t>(line + offset)];
  };
  WriteText(at(0), " ");
  if (thisBlock && otherBlock) {
    FormatLine(at(1), kPairedHeading, thisBlock->code, otherBlock->code);
  } else if (thisBlock) {
    FormatLine(at(1), kThisOnlyHeading, thisBlock->code);
  } else {
    FormatLine(at(1), kOtherOnlyHeading, otherBlock->code);
  }
  for (int i = 0; i < kDriveBlockRows; ++i) {
    const DriveRowInfo& row = kDriveRowTable[static_cast<std::size_t>(i)];
    ReportLine& target = at(2 + i);
    if (otherBlock) {
      const std::string thisText = thisBlock ? ValueString(thisBlock[i]) : kOtherOnlyBlankColumn;
      FormatLine(target, kDriveRowTwoColumns, Width(row.name), row.name.data(), thisText.c_str(),
                 ValueString(otherBlock[i]).c_str(), Width(row.unit), row.unit.data());
    } else {
      FormatLine(target, kDriveRowOneColumn, Width(row.name), row.name.data(),
                 ValueString(thisBlock[i]).c_str(), Width(row.unit), row.unit.data());
    }
  }
}

// Writes the drive blocks from `line` on. Both tables are walked in step, so a block of this
// machine is paired with the comparison block that starts at the same row index.
void WriteDriveBlocks(const ResultTable& thisResults, const ResultTable& otherResults,
                      ReportLines& lines, int line) {
  for (const DriveBlockPair& pair : PairedDriveBlocks(thisResults, otherResults)) {
    if (line >= kBlockLineLimit) break;
    WriteDriveBlock(lines, line, pair.thisBlock, pair.otherBlock);
    line += kBlockLines;
  }
}

}  // namespace

std::vector<DriveBlockPair> PairedDriveBlocks(const ResultTable& thisResults,
                                              const ResultTable& otherResults) {
  std::vector<DriveBlockPair> pairs;
  for (int row = 0; row < kBlockRowLimit; ++row) {
    const ResultEntry* thisBlock = &thisResults[static_cast<std::size_t>(row)];
    const ResultEntry* otherBlock = &otherResults[static_cast<std::size_t>(row)];
    if (!StartsDriveBlock(thisBlock->code)) thisBlock = nullptr;
    if (!StartsDriveBlock(otherBlock->code)) otherBlock = nullptr;
    if (thisBlock || otherBlock) pairs.push_back({row, thisBlock, otherBlock});
  }
  return pairs;
}

void BuildReport(BenchmarkState& state) {
  state.descriptionShown = false;
  ReportLines& lines = state.ReportText;
  EmptyReportLines(lines);
  WriteHeadings(lines);
  const ResultsModel model = BuildResultsModel(state.thisResults, state.otherResults);
  int line = WriteTestLines(model, lines);
  WriteSpaces(lines[static_cast<std::size_t>(line++)], kSeparatorWidth);
  line = WriteTotals(model.totals, lines, line);
  WriteDriveBlocks(state.thisResults, state.otherResults, lines, line);
}

}  // namespace quorvane

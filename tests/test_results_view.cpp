// The results view: headings, test lines with percentages, totals and drive blocks, checked
// line by line against the texts the report must show. Each line format is checked in full
// once; elsewhere only the lines that tell the scenario apart.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

#include "engine/BenchmarkState.h"
#include "report/ResultsView.h"

namespace quorvane {
namespace {

const std::string kSeparator(106, ' ');
const std::string kApplicationGap(69, ' ');

std::string Line(const BenchmarkState& state, int index) {
  const ReportLine& line = state.ReportText[static_cast<std::size_t>(index)];
  return std::string(line.data(), strnlen(line.data(), line.size()));
}

// Test rows from row 0, one per code.
void PutTests(ResultTable& table, const char* codes, std::initializer_list<std::uint32_t> values) {
  for (std::size_t row = 0; row < values.size(); ++row) {
    SetRow(table[row], codes[row], values.begin()[row]);
  }
}

const std::array<std::uint32_t, 7> kThisDisk = {51200, 51000, 50000, 40960, 40000, 39000, 12};
const std::array<std::uint32_t, 7> kOtherDisk = {40960, 40000, 30000, 20480, 20000, 10000, 7};

// A drive block of seven rows from `row`: the letter row and six rows with a space code.
void PutDrive(ResultTable& table, int row, char letter, const std::array<std::uint32_t, 7>& values) {
  for (std::size_t i = 0; i < 7; ++i) {
    SetRow(table[static_cast<std::size_t>(row) + i], i == 0 ? letter : ' ', values[i]);
  }
}

void ExpectEmptyFrom(const BenchmarkState& state, int first) {
  for (int i = first; i < kReportLines; ++i) EXPECT_EQ(Line(state, i), "") << "line " << i;
}

// The first and last rows of a drive block in each of its three forms.
struct BlockRows {
  const char* readMax;
  const char* cpuUsage;
};
const BlockRows kThisOnly = {"Read max                       51200  kB/sec ",
                             "CPU usage                         12  percent "};
const BlockRows kPaired = {"Read max                       51200      40960  kB/sec ",
                           "CPU usage                         12          7  percent "};
const BlockRows kOtherOnly = {"Read max                                  40960  kB/sec ",
                              "CPU usage                                     7  percent "};

// The blank line, the heading (after its 29 spaces) and the first and last rows of the drive
// block at `line`.
void ExpectBlock(const BenchmarkState& state, int line, const std::string& heading,
                 const BlockRows& rows) {
  EXPECT_EQ(Line(state, line), " ") << "line " << line;
  EXPECT_EQ(Line(state, line + 1), std::string(29, ' ') + heading) << "line " << line + 1;
  EXPECT_EQ(Line(state, line + 2), rows.readMax) << "line " << line + 2;
  EXPECT_EQ(Line(state, line + 8), rows.cpuUsage) << "line " << line + 8;
}

TEST(ResultsView, EmptyTablesGiveHeadingsAndSeparatorAndClearEarlierLines) {
  BenchmarkState state;
  state.descriptionShown = true;
  std::strcpy(state.ReportText[50].data(), "left from before");
  std::strcpy(state.ReportText[99].data(), "left from before");
  // Rows after an empty row 0 belong to no table; a NUL code at row 0 ends it.
  SetRow(state.thisResults[1], 'w', 100);

  BuildReport(state);

  EXPECT_FALSE(state.descriptionShown);
  EXPECT_EQ(Line(state, 0), "                                this      other              relative");
  EXPECT_EQ(Line(state, 1), "                            computer   computer           performance");
  EXPECT_EQ(Line(state, 2), " ");
  EXPECT_EQ(Line(state, 3), kSeparator);
  ExpectEmptyFrom(state, 4);
}

TEST(ResultsView, WithoutComparisonShowsNaZeroPercentNoTotalsAndThisOnlyBlocks) {
  BenchmarkState state;
  PutTests(state.thisResults, "dw", {1500, 250});
  PutDrive(state.thisResults, 2, 'C', kThisDisk);

  BuildReport(state);

  EXPECT_EQ(Line(state, 3), "Dhrystone 2.1                   1500        n/a  kDhryst.   0 percent");
  EXPECT_EQ(Line(state, 5), kSeparator);
  ExpectBlock(state, 6, "Drive C        ", kThisOnly);
  EXPECT_EQ(Line(state, 9), "Read average                   51000  kB/sec ");
  EXPECT_EQ(Line(state, 10), "Read min                       50000  kB/sec ");
  EXPECT_EQ(Line(state, 11), "Write max                      40960  kB/sec ");
  EXPECT_EQ(Line(state, 12), "Write average                  40000  kB/sec ");
  EXPECT_EQ(Line(state, 13), "Write min                      39000  kB/sec ");
  ExpectEmptyFrom(state, 15);

  // Tests out of the fixed order, and tests only the comparison has, are not shown.
  BenchmarkState outOfOrder;
  PutTests(outOfOrder.thisResults, "wdm", {300, 1500, 800});  // d after w: never matched
  PutTests(outOfOrder.otherResults, "dq", {1000, 1000});
  BuildReport(outOfOrder);
  EXPECT_EQ(Line(outOfOrder, 3), "Whetstone                        300        n/a  MFLOPS     0 percent");
  EXPECT_EQ(Line(outOfOrder, 4), kSeparator);
  ExpectEmptyFrom(outOfOrder, 5);
}

TEST(ResultsView, PercentTruncatesAndTotalsFollowTheComparedGroupsWithoutWrapping) {
  BenchmarkState withBoth;
  PutTests(withBoth.thisResults, "dw", {1500, 1000});
  PutTests(withBoth.otherResults, "dw", {1000, 1000});
  BuildReport(withBoth);
  EXPECT_EQ(Line(withBoth, 3), "Dhrystone 2.1                   1500       1000  kDhryst. 150 percent");
  EXPECT_EQ(Line(withBoth, 6), "                                           Total CPU      150 percent");
  EXPECT_EQ(Line(withBoth, 7), "                                           Total FPU      100 percent");
  EXPECT_EQ(Line(withBoth, 8), "                                             Average      125 percent");
  // (92 x 150 + 8 x 100 + 92) / 100 = 146
  EXPECT_EQ(Line(withBoth, 10), "                             Application Performance      146 percent");
  ExpectEmptyFrom(withBoth, 11);

  BenchmarkState processorOnly;
  PutTests(processorOnly.thisResults, "q", {999});
  PutTests(processorOnly.otherResults, "q", {1000});
  BuildReport(processorOnly);
  EXPECT_EQ(Line(processorOnly, 3), "Eight queens problem             999       1000  pps       99 percent");
  EXPECT_EQ(Line(processorOnly, 5), "                                           Total CPU       99 percent");
  EXPECT_EQ(Line(processorOnly, 6), "                                             Average       99 percent");
  ExpectEmptyFrom(processorOnly, 7);

  // A floating point comparison alone gives Total FPU without Average. The comparison is found
  // by code wherever it stands; the first row with the code counts.
  BenchmarkState floatingPointOnly;
  PutTests(floatingPointOnly.thisResults, "dw", {1500, 2000});
  PutTests(floatingPointOnly.otherResults, "qww", {5, 1000, 500});
  BuildReport(floatingPointOnly);
  EXPECT_EQ(Line(floatingPointOnly, 4), "Whetstone                       2000       1000  MFLOPS   200 percent");
  EXPECT_EQ(Line(floatingPointOnly, 6), "                                           Total FPU      200 percent");
  ExpectEmptyFrom(floatingPointOnly, 7);

  // Large values and a comparison that reads 0 neither wrap nor crash.
  BenchmarkState large;
  PutTests(large.thisResults, "dwq", {60000000, 2000000000, 5});
  PutTests(large.otherResults, "dwq", {30000000, 1, 0});
  BuildReport(large);
  EXPECT_EQ(Line(large, 3), "Dhrystone 2.1               60000000   30000000  kDhryst. 200 percent");
  EXPECT_EQ(Line(large, 4),
            "Whetstone                 2000000000          1  MFLOPS   200000000000 percent");
  EXPECT_EQ(Line(large, 5), "Eight queens problem               5          0  pps        0 percent");
  // A comparison that reads 0 still counts, with 0 percent: (200 + 0) / 2.
  EXPECT_EQ(Line(large, 7), "                                           Total CPU      100 percent");
  EXPECT_EQ(Line(large, 8),
            "                                           Total FPU      200000000000 percent");
  EXPECT_EQ(Line(large, 9),
            "                                             Average      66666666733 percent");
  EXPECT_EQ(Line(large, 11),
            "                             Application Performance      16000000092 percent");
  ExpectEmptyFrom(large, 12);

  // Values of 2^31 and more are unsigned on both sides: no percentage turns negative.
  BenchmarkState beyond;
  PutTests(beyond.thisResults, "dq", {2147483648u, 45993});
  PutTests(beyond.otherResults, "dq", {45993, 4294967295u});
  BuildReport(beyond);
  EXPECT_EQ(Line(beyond, 3), "Dhrystone 2.1             2147483648      45993  kDhryst. 4669153 percent");
  EXPECT_EQ(Line(beyond, 4), "Eight queens problem           45993 4294967295  pps        0 percent");
  EXPECT_EQ(Line(beyond, 6), "                                           Total CPU      2334576 percent");
}

TEST(ResultsView, AllSevenTestsComparedFillTotalsAndAtMostNinePairedBlocks) {
  BenchmarkState state;
  PutTests(state.thisResults, "dwqcnfm", {1500, 1500, 1000, 2000, 500, 500, 1000});
  PutTests(state.otherResults, "dwqcnfm", {1000, 1000, 1000, 1000, 1000, 1000, 1000});
  for (int drive = 0; drive < 13; ++drive) {
    PutDrive(state.thisResults, 7 + 7 * drive, static_cast<char>('C' + drive), kThisDisk);
    PutDrive(state.otherResults, 7 + 7 * drive, static_cast<char>('C' + drive), kOtherDisk);
  }

  BuildReport(state);

  EXPECT_EQ(Line(state, 3), "Dhrystone 2.1                   1500       1000  kDhryst. 150 percent");
  EXPECT_EQ(Line(state, 4), "Whetstone                       1500       1000  MFLOPS   150 percent");
  EXPECT_EQ(Line(state, 5), "Eight queens problem            1000       1000  pps      100 percent");
  EXPECT_EQ(Line(state, 6), "Matrix operations               2000       1000  k ops    200 percent");
  EXPECT_EQ(Line(state, 7), "Number crunch                    500       1000  k ops     50 percent");
  EXPECT_EQ(Line(state, 8), "Floating point                   500       1000  k ops     50 percent");
  EXPECT_EQ(Line(state, 9), "Memory throughput               1000       1000  kB/sec   100 percent");
  EXPECT_EQ(Line(state, 10), kSeparator);
  EXPECT_EQ(Line(state, 11), "                                           Total CPU      120 percent");
  EXPECT_EQ(Line(state, 12), "                                           Total FPU      100 percent");
  EXPECT_EQ(Line(state, 13), "                                             Average      114 percent");
  EXPECT_EQ(Line(state, 14), kApplicationGap);
  EXPECT_EQ(Line(state, 15), "                             Application Performance      119 percent");

  ExpectBlock(state, 16, "Drive C    Drive C", kPaired);
  EXPECT_EQ(Line(state, 19), "Read average                   51000      40000  kB/sec ");
  EXPECT_EQ(Line(state, 20), "Read min                       50000      30000  kB/sec ");
  EXPECT_EQ(Line(state, 21), "Write max                      40960      20480  kB/sec ");
  EXPECT_EQ(Line(state, 22), "Write average                  40000      20000  kB/sec ");
  EXPECT_EQ(Line(state, 23), "Write min                      39000      10000  kB/sec ");
  // The ninth block (drive K) starts at line 88 and is the last one.
  ExpectBlock(state, 88, "Drive K    Drive K", kPaired);
  ExpectEmptyFrom(state, 97);
}

TEST(ResultsView, BlocksStartFromLineFourAndNeverAtLine91) {
  BenchmarkState drivesOnly;
  for (int drive = 0; drive < 12; ++drive) {
    PutDrive(drivesOnly.thisResults, 7 * drive, static_cast<char>('C' + drive), kThisDisk);
  }
  BuildReport(drivesOnly);
  ExpectBlock(drivesOnly, 4, "Drive C        ", kThisOnly);
  // The tenth block (drive L) starts at line 85; the eleventh would start at 94.
  ExpectBlock(drivesOnly, 85, "Drive L        ", kThisOnly);
  ExpectEmptyFrom(drivesOnly, 94);

  BenchmarkState sixTests;
  PutTests(sixTests.thisResults, "dwqcnf", {100, 100, 100, 100, 100, 100});
  for (int drive = 0; drive < 10; ++drive) {
    PutDrive(sixTests.thisResults, 6 + 7 * drive, static_cast<char>('C' + drive), kThisDisk);
  }
  BuildReport(sixTests);
  // Blocks start at lines 10, 19, ... 82; the tenth would start at line 91.
  ExpectBlock(sixTests, 82, "Drive K        ", kThisOnly);
  ExpectEmptyFrom(sixTests, 91);
}

TEST(ResultsView, DriveBlocksPairByRowPositionNotByLetter) {
  BenchmarkState state;
  // This machine ran all seven tests, the comparison five of them: the comparison's drive C
  // starts at row 5 and this machine's at row 7.
  PutTests(state.thisResults, "dwqcnfm", {1500, 1500, 1000, 2000, 500, 500, 1000});
  PutTests(state.otherResults, "dwqcn", {1000, 1000, 1000, 1000, 1000});
  PutDrive(state.thisResults, 7, 'C', kThisDisk);
  PutDrive(state.otherResults, 5, 'C', kOtherDisk);

  BuildReport(state);

  // Only the tests both ran enter the totals: (150 + 100 + 200 + 50) / 4 and 150 / 1.
  EXPECT_EQ(Line(state, 11), "                                           Total CPU      125 percent");
  EXPECT_EQ(Line(state, 12), "                                           Total FPU      150 percent");
  ExpectBlock(state, 16, "           Drive C", kOtherOnly);
  ExpectBlock(state, 25, "Drive C        ", kThisOnly);
  ExpectEmptyFrom(state, 34);

  // Blocks at the same row pair up whatever their letters.
  BenchmarkState drivesOnly;
  PutDrive(drivesOnly.thisResults, 0, 'C', kThisDisk);
  PutDrive(drivesOnly.thisResults, 7, 'D', kThisDisk);
  PutDrive(drivesOnly.otherResults, 0, 'E', kOtherDisk);
  BuildReport(drivesOnly);
  ExpectBlock(drivesOnly, 4, "Drive C    Drive E", kPaired);
  ExpectBlock(drivesOnly, 13, "Drive D        ", kThisOnly);
  ExpectEmptyFrom(drivesOnly, 22);
}

}  // namespace
}  // namespace quorvane

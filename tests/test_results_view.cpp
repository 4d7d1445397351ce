// The results view: headings, test lines with percentages, totals and drive blocks, checked
// line by line against the texts the report must show.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/BenchmarkState.h"
#include "report/ResultsView.h"

namespace quorvane {
namespace {

const std::string kSeparator(106, ' ');
const std::string kApplicationGap(69, ' ');
const char* const kHeading0 = "                                this      other              relative";
const char* const kHeading1 = "                            computer   computer           performance";

std::string Line(const BenchmarkState& state, int index) {
  const ReportLine& line = state.ReportText[static_cast<std::size_t>(index)];
  return std::string(line.data(), strnlen(line.data(), line.size()));
}

void Put(ResultTable& table, int row, char code, std::uint32_t value) {
  SetRow(table[static_cast<std::size_t>(row)], code, value);
}

// A drive block of seven rows from `row`: the letter row and six rows with a space code.
void PutDrive(ResultTable& table, int row, char letter,
              const std::array<std::uint32_t, 7>& values) {
  for (int i = 0; i < 7; ++i) {
    Put(table, row + i, i == 0 ? letter : ' ', values[static_cast<std::size_t>(i)]);
  }
}

const std::array<std::uint32_t, 7> kThisDisk = {51200, 51000, 50000, 40960, 40000, 39000, 12};
const std::array<std::uint32_t, 7> kOtherDisk = {40960, 40000, 30000, 20480, 20000, 10000, 7};

void ExpectEmptyFrom(const BenchmarkState& state, int first) {
  for (int i = first; i < kReportLines; ++i) EXPECT_EQ(Line(state, i), "") << "line " << i;
}

void ExpectThisOnlyBlockC(const BenchmarkState& state, int line) {
  EXPECT_EQ(Line(state, line), " ");
  EXPECT_EQ(Line(state, line + 1), "                             Drive C        ");
  EXPECT_EQ(Line(state, line + 2), "Read max                       51200  kB/sec ");
  EXPECT_EQ(Line(state, line + 3), "Read average                   51000  kB/sec ");
  EXPECT_EQ(Line(state, line + 4), "Read min                       50000  kB/sec ");
  EXPECT_EQ(Line(state, line + 5), "Write max                      40960  kB/sec ");
  EXPECT_EQ(Line(state, line + 6), "Write average                  40000  kB/sec ");
  EXPECT_EQ(Line(state, line + 7), "Write min                      39000  kB/sec ");
  EXPECT_EQ(Line(state, line + 8), "CPU usage                         12  percent ");
}

TEST(ResultsView, EmptyTablesGiveHeadingsAndSeparatorAndClearEarlierLines) {
  BenchmarkState state;
  state.descriptionShown = true;
  std::strcpy(state.ReportText[50].data(), "left from before");
  std::strcpy(state.ReportText[99].data(), "left from before");
  // Rows after an empty row 0 belong to no table; a NUL code at row 0 ends it.
  Put(state.thisResults, 1, 'w', 100);

  BuildReport(state);

  EXPECT_FALSE(state.descriptionShown);
  EXPECT_EQ(Line(state, 0), kHeading0);
  EXPECT_EQ(Line(state, 1), kHeading1);
  EXPECT_EQ(Line(state, 2), " ");
  EXPECT_EQ(Line(state, 3), kSeparator);
  ExpectEmptyFrom(state, 4);
}

TEST(ResultsView, WithoutComparisonShowsNaZeroPercentNoTotalsAndThisOnlyBlocks) {
  BenchmarkState state;
  Put(state.thisResults, 0, 'd', 1500);
  Put(state.thisResults, 1, 'w', 250);
  PutDrive(state.thisResults, 2, 'C', kThisDisk);

  BuildReport(state);

  EXPECT_EQ(Line(state, 3), "Dhrystone 2.1                   1500        n/a  kDhryst.   0 percent");
  EXPECT_EQ(Line(state, 4), "Whetstone                        250        n/a  MFLOPS     0 percent");
  EXPECT_EQ(Line(state, 5), kSeparator);
  ExpectThisOnlyBlockC(state, 6);
  ExpectEmptyFrom(state, 15);
}

TEST(ResultsView, PercentTruncatesAndApplicationPerformanceWeighsGroups) {
  BenchmarkState withBoth;
  Put(withBoth.thisResults, 0, 'd', 1500);
  Put(withBoth.thisResults, 1, 'w', 1000);
  Put(withBoth.otherResults, 0, 'd', 1000);
  Put(withBoth.otherResults, 1, 'w', 1000);
  BuildReport(withBoth);
  EXPECT_EQ(Line(withBoth, 3), "Dhrystone 2.1                   1500       1000  kDhryst. 150 percent");
  EXPECT_EQ(Line(withBoth, 4), "Whetstone                       1000       1000  MFLOPS   100 percent");
  EXPECT_EQ(Line(withBoth, 5), kSeparator);
  EXPECT_EQ(Line(withBoth, 6), "                                           Total CPU      150 percent");
  EXPECT_EQ(Line(withBoth, 7), "                                           Total FPU      100 percent");
  EXPECT_EQ(Line(withBoth, 8), "                                             Average      125 percent");
  EXPECT_EQ(Line(withBoth, 9), kApplicationGap);
  // (92 x 150 + 8 x 100 + 92) / 100 = 146
  EXPECT_EQ(Line(withBoth, 10), "                             Application Performance      146 percent");
  ExpectEmptyFrom(withBoth, 11);

  BenchmarkState processorOnly;
  Put(processorOnly.thisResults, 0, 'q', 999);
  Put(processorOnly.otherResults, 0, 'q', 1000);
  BuildReport(processorOnly);
  EXPECT_EQ(Line(processorOnly, 3), "Eight queens problem             999       1000  pps       99 percent");
  EXPECT_EQ(Line(processorOnly, 4), kSeparator);
  EXPECT_EQ(Line(processorOnly, 5), "                                           Total CPU       99 percent");
  EXPECT_EQ(Line(processorOnly, 6), "                                             Average       99 percent");
  ExpectEmptyFrom(processorOnly, 7);
}

TEST(ResultsView, FloatingPointComparisonAloneGivesTotalFpuWithoutAverage) {
  BenchmarkState state;
  Put(state.thisResults, 0, 'd', 1500);
  Put(state.thisResults, 1, 'w', 2000);
  // The comparison is found by code wherever it stands; the first row with the code counts.
  Put(state.otherResults, 0, 'q', 5);
  Put(state.otherResults, 1, 'w', 1000);
  Put(state.otherResults, 2, 'w', 500);

  BuildReport(state);

  EXPECT_EQ(Line(state, 3), "Dhrystone 2.1                   1500        n/a  kDhryst.   0 percent");
  EXPECT_EQ(Line(state, 4), "Whetstone                       2000       1000  MFLOPS   200 percent");
  EXPECT_EQ(Line(state, 5), kSeparator);
  EXPECT_EQ(Line(state, 6), "                                           Total FPU      200 percent");
  ExpectEmptyFrom(state, 7);
}

TEST(ResultsView, RowsOutOfOrderAndComparisonOnlyTestsAreNotShown) {
  BenchmarkState state;
  Put(state.thisResults, 0, 'w', 300);
  Put(state.thisResults, 1, 'd', 1500);  // Dhrystone after Whetstone: never matched
  Put(state.thisResults, 2, 'm', 800);
  Put(state.otherResults, 0, 'd', 1000);
  Put(state.otherResults, 1, 'q', 1000);

  BuildReport(state);

  EXPECT_EQ(Line(state, 3), "Whetstone                        300        n/a  MFLOPS     0 percent");
  EXPECT_EQ(Line(state, 4), kSeparator);
  ExpectEmptyFrom(state, 5);
}

TEST(ResultsView, LargeValuesAndZeroComparisonNeitherWrapNorCrash) {
  BenchmarkState state;
  Put(state.thisResults, 0, 'd', 60000000);
  Put(state.thisResults, 1, 'w', 2000000000);
  Put(state.thisResults, 2, 'q', 5);
  Put(state.otherResults, 0, 'd', 30000000);
  Put(state.otherResults, 1, 'w', 1);
  Put(state.otherResults, 2, 'q', 0);

  BuildReport(state);

  EXPECT_EQ(Line(state, 3), "Dhrystone 2.1               60000000   30000000  kDhryst. 200 percent");
  EXPECT_EQ(Line(state, 4),
            "Whetstone                 2000000000          1  MFLOPS   200000000000 percent");
  EXPECT_EQ(Line(state, 5), "Eight queens problem               5          0  pps        0 percent");
  EXPECT_EQ(Line(state, 6), kSeparator);
  // A comparison that reads 0 still counts, with 0 percent: (200 + 0) / 2.
  EXPECT_EQ(Line(state, 7), "                                           Total CPU      100 percent");
  EXPECT_EQ(Line(state, 8),
            "                                           Total FPU      200000000000 percent");
  EXPECT_EQ(Line(state, 9),
            "                                             Average      66666666733 percent");
  EXPECT_EQ(Line(state, 10), kApplicationGap);
  EXPECT_EQ(Line(state, 11),
            "                             Application Performance      16000000092 percent");
  ExpectEmptyFrom(state, 12);
}

TEST(ResultsView, AllSevenTestsComparedFillTotalsAndAtMostNinePairedBlocks) {
  BenchmarkState state;
  const char codes[] = "dwqcnfm";
  const std::array<std::uint32_t, 7> thisValues = {1500, 1500, 1000, 2000, 500, 500, 1000};
  for (int i = 0; i < 7; ++i) {
    Put(state.thisResults, i, codes[i], thisValues[static_cast<std::size_t>(i)]);
    Put(state.otherResults, i, codes[i], 1000);
  }
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

  EXPECT_EQ(Line(state, 16), " ");
  EXPECT_EQ(Line(state, 17), "                             Drive C    Drive C");
  EXPECT_EQ(Line(state, 18), "Read max                       51200      40960  kB/sec ");
  EXPECT_EQ(Line(state, 19), "Read average                   51000      40000  kB/sec ");
  EXPECT_EQ(Line(state, 20), "Read min                       50000      30000  kB/sec ");
  EXPECT_EQ(Line(state, 21), "Write max                      40960      20480  kB/sec ");
  EXPECT_EQ(Line(state, 22), "Write average                  40000      20000  kB/sec ");
  EXPECT_EQ(Line(state, 23), "Write min                      39000      10000  kB/sec ");
  EXPECT_EQ(Line(state, 24), "CPU usage                         12          7  percent ");
  EXPECT_EQ(Line(state, 25), " ");
  EXPECT_EQ(Line(state, 26), "                             Drive D    Drive D");
  // The ninth block (drive K) starts at line 88 and is the last one.
  EXPECT_EQ(Line(state, 88), " ");
  EXPECT_EQ(Line(state, 89), "                             Drive K    Drive K");
  EXPECT_EQ(Line(state, 96), "CPU usage                         12          7  percent ");
  ExpectEmptyFrom(state, 97);
}

TEST(ResultsView, DriveRowsAloneStartAtLineFourAndAtMostTenBlocksFit) {
  BenchmarkState state;
  for (int drive = 0; drive < 12; ++drive) {
    PutDrive(state.thisResults, 7 * drive, static_cast<char>('C' + drive), kThisDisk);
  }

  BuildReport(state);

  EXPECT_EQ(Line(state, 2), " ");
  EXPECT_EQ(Line(state, 3), kSeparator);
  ExpectThisOnlyBlockC(state, 4);
  EXPECT_EQ(Line(state, 14), "                             Drive D        ");
  // The tenth block (drive L) starts at line 85; the eleventh would start at 94.
  EXPECT_EQ(Line(state, 86), "                             Drive L        ");
  EXPECT_EQ(Line(state, 93), "CPU usage                         12  percent ");
  ExpectEmptyFrom(state, 94);
}

TEST(ResultsView, NoBlockStartsAtLine91) {
  BenchmarkState state;
  const char codes[] = "dwqcnf";
  for (int i = 0; i < 6; ++i) Put(state.thisResults, i, codes[i], 100);
  for (int drive = 0; drive < 10; ++drive) {
    PutDrive(state.thisResults, 6 + 7 * drive, static_cast<char>('C' + drive), kThisDisk);
  }

  BuildReport(state);

  EXPECT_EQ(Line(state, 8), "Floating point                   100        n/a  k ops      0 percent");
  EXPECT_EQ(Line(state, 9), kSeparator);
  ExpectThisOnlyBlockC(state, 10);
  // Blocks start at lines 10, 19, ... 82; the tenth would start at line 91.
  EXPECT_EQ(Line(state, 83), "                             Drive K        ");
  EXPECT_EQ(Line(state, 90), "CPU usage                         12  percent ");
  ExpectEmptyFrom(state, 91);
}

TEST(ResultsView, DriveBlocksPairByRowPositionNotByLetter) {
  BenchmarkState state;
  // This machine ran all seven tests, the comparison five of them: the comparison's drive C
  // starts at row 5 and this machine's at row 7.
  const char codes[] = "dwqcnfm";
  const std::array<std::uint32_t, 7> thisValues = {1500, 1500, 1000, 2000, 500, 500, 1000};
  for (int i = 0; i < 7; ++i) {
    Put(state.thisResults, i, codes[i], thisValues[static_cast<std::size_t>(i)]);
  }
  for (int i = 0; i < 5; ++i) Put(state.otherResults, i, codes[i], 1000);
  PutDrive(state.thisResults, 7, 'C', kThisDisk);
  PutDrive(state.otherResults, 5, 'C', kOtherDisk);

  BuildReport(state);

  EXPECT_EQ(Line(state, 8), "Floating point                   500        n/a  k ops      0 percent");
  EXPECT_EQ(Line(state, 9), "Memory throughput               1000        n/a  kB/sec     0 percent");
  // (150 + 100 + 200 + 50) / 4, 150 / 1, 650 / 5, (92 x 125 + 8 x 150 + 92) / 100
  EXPECT_EQ(Line(state, 11), "                                           Total CPU      125 percent");
  EXPECT_EQ(Line(state, 12), "                                           Total FPU      150 percent");
  EXPECT_EQ(Line(state, 13), "                                             Average      130 percent");
  EXPECT_EQ(Line(state, 15), "                             Application Performance      127 percent");

  EXPECT_EQ(Line(state, 16), " ");
  EXPECT_EQ(Line(state, 17), "                                        Drive C");
  EXPECT_EQ(Line(state, 18), "Read max                                  40960  kB/sec ");
  EXPECT_EQ(Line(state, 19), "Read average                              40000  kB/sec ");
  EXPECT_EQ(Line(state, 20), "Read min                                  30000  kB/sec ");
  EXPECT_EQ(Line(state, 21), "Write max                                 20480  kB/sec ");
  EXPECT_EQ(Line(state, 22), "Write average                             20000  kB/sec ");
  EXPECT_EQ(Line(state, 23), "Write min                                 10000  kB/sec ");
  EXPECT_EQ(Line(state, 24), "CPU usage                                     7  percent ");
  ExpectThisOnlyBlockC(state, 25);
  ExpectEmptyFrom(state, 34);

  // Blocks at the same row pair up whatever their letters.
  BenchmarkState drivesOnly;
  PutDrive(drivesOnly.thisResults, 0, 'C', kThisDisk);
  PutDrive(drivesOnly.thisResults, 7, 'D', kThisDisk);
  PutDrive(drivesOnly.otherResults, 0, 'E', kOtherDisk);
  BuildReport(drivesOnly);
  EXPECT_EQ(Line(drivesOnly, 3), kSeparator);
  EXPECT_EQ(Line(drivesOnly, 4), " ");
  EXPECT_EQ(Line(drivesOnly, 5), "                             Drive C    Drive E");
  EXPECT_EQ(Line(drivesOnly, 6), "Read max                       51200      40960  kB/sec ");
  EXPECT_EQ(Line(drivesOnly, 12), "CPU usage                         12          7  percent ");
  EXPECT_EQ(Line(drivesOnly, 13), " ");
  EXPECT_EQ(Line(drivesOnly, 14), "                             Drive D        ");
  EXPECT_EQ(Line(drivesOnly, 15), "Read max                       51200  kB/sec ");
  ExpectEmptyFrom(drivesOnly, 22);
}

}  // namespace
}  // namespace quorvane

// The report's two views, compared whole as the text export writes them: the results view's
// headings, test lines, totals and drive blocks, the description view's machine lines and drive
// blocks, the bounds at the report's end, and the toggle between the views.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "engine/BenchmarkState.h"
#include "report/Report.h"
#include "report/TextExport.h"
#include "tests/temp_folder.h"

namespace quorvane {
namespace {

std::string Spaces(std::size_t count) { return std::string(count, ' '); }

// The lines as the export writes them, CR LF after each.
std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string Shown(const BenchmarkState& state) { return ExportBytes(state.ReportText); }

// Rows from `row` on, one per code, or a drive block of seven rows.
void Put(ResultTable& table, std::size_t row, const char* codes,
         std::vector<std::uint32_t> values) {
  for (std::size_t i = 0; i < values.size(); ++i) SetRow(table[row + i], codes[i], values[i]);
}
void PutDrive(ResultTable& table, std::size_t row, char letter, bool other) {
  Put(table, row, (std::string(1, letter) + "      ").c_str(),
      other ? std::vector<std::uint32_t>{40960, 40000, 30000, 20480, 20000, 10000, 7}
            : std::vector<std::uint32_t>{51200, 51000, 50000, 40960, 40000, 39000, 12});
}

const std::vector<std::string> kHeadings = {
    "                                this      other              relative",
    "                            computer   computer           performance", " "};
const std::string kSeparator = Spaces(106);
std::string Total(const std::string& label, const std::string& percent) {
  return Spaces(52 - label.size()) + label + "      " + percent + " percent";
}

enum class Form { Paired, ThisOnly, OtherOnly };
const std::array<std::array<const char*, 3>, 7> kBlockRows = {
    {{"Read max                       51200      40960  kB/sec ",
      "Read max                       51200  kB/sec ",
      "Read max                                  40960  kB/sec "},
     {"Read average                   51000      40000  kB/sec ",
      "Read average                   51000  kB/sec ",
      "Read average                              40000  kB/sec "},
     {"Read min                       50000      30000  kB/sec ",
      "Read min                       50000  kB/sec ",
      "Read min                                  30000  kB/sec "},
     {"Write max                      40960      20480  kB/sec ",
      "Write max                      40960  kB/sec ",
      "Write max                                 20480  kB/sec "},
     {"Write average                  40000      20000  kB/sec ",
      "Write average                  40000  kB/sec ",
      "Write average                             20000  kB/sec "},
     {"Write min                      39000      10000  kB/sec ",
      "Write min                      39000  kB/sec ",
      "Write min                                 10000  kB/sec "},
     {"CPU usage                         12          7  percent ",
      "CPU usage                         12  percent ",
      "CPU usage                                     7  percent "}}};

// A drive block: a blank line, the heading, the seven rows.
void AddBlock(std::vector<std::string>& lines, Form form, char thisLetter, char otherLetter = ' ') {
  lines.push_back(" ");
  const std::string heading =
      form == Form::Paired     ? std::string("Drive ") + thisLetter + "    Drive " + otherLetter
      : form == Form::ThisOnly ? std::string("Drive ") + thisLetter + Spaces(8)
                               : Spaces(11) + "Drive " + otherLetter;
  lines.push_back(Spaces(29) + heading);
  for (const auto& row : kBlockRows) lines.push_back(row[static_cast<std::size_t>(form)]);
}

TEST(ResultsView, EmptyTablesGiveTheHeadingsAndTestsOutOfOrderAreNotShown) {
  BenchmarkState state;
  state.descriptionShown = true;  // the toggle turns the description into the results
  std::strcpy(state.ReportText[99].data(), "left from before");
  SetRow(state.thisResults[1], 'w', 100);  // after an empty row 0: in no table
  EXPECT_FALSE(ShowDescription(state));
  std::vector<std::string> expected = kHeadings;
  expected.push_back(kSeparator);
  EXPECT_EQ(Shown(state), Lines(expected));

  // The tests are matched in the fixed order from row 0: d after w never is. Tests only the
  // comparison has are not shown.
  Put(state.thisResults, 0, "wdm", {300, 1500, 800});
  Put(state.otherResults, 0, "dq", {1000, 1000});
  BuildReport(state);
  expected.insert(expected.begin() + 3,
                  "Whetstone                        300        n/a  MFLOPS     0 percent");
  EXPECT_EQ(Shown(state), Lines(expected));
}

TEST(ResultsView, PercentsAndTotalsAreTruncatedUnsignedUnwrappedAndAtMostNineBlocksFollow) {
  BenchmarkState state;
  // A comparison of 0 gives 0 percent and still counts; values of 2^31 and more are unsigned.
  Put(state.thisResults, 0, "dwqcnfm", {60000000, 2000000000, 5, 2147483648u, 45993, 32, 999});
  Put(state.otherResults, 0, "dwqcnfm", {30000000, 1, 0, 45993, 4294967295u, 100, 1000});
  for (std::size_t drive = 0; drive < 13; ++drive) {
    PutDrive(state.thisResults, 7 + 7 * drive, static_cast<char>('C' + drive), false);
    PutDrive(state.otherResults, 7 + 7 * drive, static_cast<char>('C' + drive), true);
  }
  BuildReport(state);
  std::vector<std::string> expected = kHeadings;
  expected.insert(expected.end(),
                  {"Dhrystone 2.1               60000000   30000000  kDhryst. 200 percent",
                   "Whetstone                 2000000000          1  MFLOPS   200000000000 percent",
                   "Eight queens problem               5          0  pps        0 percent",
                   "Matrix operations         2147483648      45993  k ops    4669153 percent",
                   "Number crunch                  45993 4294967295  k ops      0 percent",
                   "Floating point                    32        100  k ops     32 percent",
                   "Memory throughput                999       1000  kB/sec    99 percent",
                   kSeparator, Total("Total CPU", "933890"), Total("Total FPU", "100000000016"),
                   Total("Average", "28572095640"), Spaces(69),
                   // (92 x 933890 + 8 x 100000000016 + 92) / 100, exactly
                   Total("Application Performance", "8000859181")});
  // The ninth block (drive K) starts at line 88 and is the last one.
  for (char letter = 'C'; letter <= 'K'; ++letter) AddBlock(expected, Form::Paired, letter, letter);
  EXPECT_EQ(Shown(state), Lines(expected));

  // The processor group alone gives Total CPU and Average; the floating point group alone
  // Total FPU. The comparison's row is found by code wherever it stands, the first one counting.
  BenchmarkState processor;
  Put(processor.thisResults, 0, "q", {999});
  Put(processor.otherResults, 0, "wwq", {5, 5, 1000});
  BuildReport(processor);
  expected = kHeadings;
  expected.insert(expected.end(),
                  {"Eight queens problem             999       1000  pps       99 percent",
                   kSeparator, Total("Total CPU", " 99"), Total("Average", " 99")});
  EXPECT_EQ(Shown(processor), Lines(expected));
  Put(processor.thisResults, 0, "w", {2000});
  BuildReport(processor);
  expected = kHeadings;
  expected.insert(expected.end(),
                  {"Whetstone                       2000          5  MFLOPS   40000 percent",
                   kSeparator, Total("Total FPU", "40000")});
  EXPECT_EQ(Shown(processor), Lines(expected));
}

TEST(ResultsView, ADriveBlockStartsAtRow93AtTheLatestSoThatItsSevenRowsFit) {
  BenchmarkState state;
  SetRow(state.thisResults[93], 'C', 1);
  SetRow(state.otherResults[94], 'D', 1);
  SetRow(state.thisResults[99], 'E', 1);
  const std::vector<DriveBlockPair> pairs =
      PairedDriveBlocks(state.thisResults, state.otherResults);
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].row, 93);
  EXPECT_EQ(pairs[0].thisBlock, &state.thisResults[93]);
  EXPECT_EQ(pairs[0].otherBlock, nullptr);
}

TEST(ResultsView, BlocksPairByRowPositionWhateverTheirLettersAndNeverStartAtLine91) {
  // Seven tests here, five in the comparison: its drive C starts at row 5, this one's at row 7.
  // This D and the comparison's E both start at row 14: they pair up.
  BenchmarkState state;
  Put(state.thisResults, 0, "dwqcnfm", {1500, 1500, 1000, 2000, 500, 500, 1000});
  Put(state.otherResults, 0, "dwqcn", {1000, 1000, 1000, 1000, 1000});
  PutDrive(state.thisResults, 7, 'C', false);
  PutDrive(state.otherResults, 5, 'C', true);
  PutDrive(state.thisResults, 14, 'D', false);
  PutDrive(state.otherResults, 14, 'E', true);
  BuildReport(state);
  std::vector<std::string> expected = kHeadings;
  expected.insert(
      expected.end(),
      {"Dhrystone 2.1                   1500       1000  kDhryst. 150 percent",
       "Whetstone                       1500       1000  MFLOPS   150 percent",
       "Eight queens problem            1000       1000  pps      100 percent",
       "Matrix operations               2000       1000  k ops    200 percent",
       "Number crunch                    500       1000  k ops     50 percent",
       "Floating point                   500        n/a  k ops      0 percent",
       "Memory throughput               1000        n/a  kB/sec     0 percent", kSeparator,
       // Only the tests both ran count: (150 + 100 + 200 + 50) / 4 and 150 / 1.
       Total("Total CPU", "125"), Total("Total FPU", "150"), Total("Average", "130"), Spaces(69),
       Total("Application Performance", "127")});
  AddBlock(expected, Form::OtherOnly, ' ', 'C');
  AddBlock(expected, Form::ThisOnly, 'C');
  AddBlock(expected, Form::Paired, 'D', 'E');
  EXPECT_EQ(Shown(state), Lines(expected));

  // Six tests and ten drives: blocks start at lines 10, 19, ... 82; the tenth would at 91.
  BenchmarkState six;
  Put(six.thisResults, 0, "dwqcnf", {100, 100, 100, 100, 100, 100});
  for (std::size_t drive = 0; drive < 10; ++drive)
    PutDrive(six.thisResults, 6 + 7 * drive, static_cast<char>('C' + drive), false);
  BuildReport(six);
  const std::string shown = Shown(six);
  expected.clear();
  AddBlock(expected, Form::ThisOnly, 'K');
  EXPECT_TRUE(shown.ends_with(Lines(expected)));
  EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 91);
}

// A text of at most 35 characters in its column of 35.
std::string Column(const std::string& text) { return text + Spaces(35 - text.size()); }

// The machine lines: where each stands, its label and its field's index in kMachineFields.
const std::array<std::tuple<int, const char*, std::size_t>, 14> kMachineLines = {
    {{2, "Number of threads: ", 12},
     {4, "Brand           :  ", 0},
     {5, "Model           :  ", 1},
     {6, "Motherboard     :  ", 2},
     {7, "CPU             :  ", 3},
     {8, "Number of CPUs  :  ", 13},
     {10, "Internal clock  :  ", 4},
     {11, "External clock  :  ", 5},
     {12, "Cache size      :  ", 6},
     {13, "Cache type      :  ", 7},
     {14, "RAM size        :  ", 8},
     {15, "RAM type        :  ", 9},
     {16, "RAM speed       :  ", 10},
     {18, "OS              :  ", 11}}};

void Describe(DriveTable& drives, char letter, const char* harddisk, const char* controller,
              const char* driver) {
  DriveDescription& record = drives[static_cast<std::size_t>(letter - 'C')];
  SetField(record.letter, std::string(1, letter));
  SetField(record.harddisk, harddisk);
  SetField(record.controller, controller);
  SetField(record.driver, driver);
}

TEST(DescriptionView, MachineLinesStandInTwoColumnsOfThirtyFiveAndShowControlBytesAsQuestionMarks) {
  BenchmarkState empty;
  std::strcpy(empty.ReportText[40].data(), "left from before");
  EXPECT_TRUE(ShowDescription(empty));  // the toggle turns the results into the description
  BenchmarkState filled;
  for (std::size_t i = 0; i < kMachineFields.size(); ++i) {
    SetField(filled.thisMachine.*kMachineFields[i], "this " + std::to_string(i));
    SetField(filled.otherMachine.*kMachineFields[i], "other " + std::to_string(i));
  }
  BuildDescriptionView(filled);
  std::vector<std::string> blank(19), expected(19);
  for (const auto& [line, label, field] : kMachineLines) {
    const std::string n = std::to_string(field);
    blank[static_cast<std::size_t>(line)] = label + Spaces(72);  // blank fields keep their columns
    expected[static_cast<std::size_t>(line)] =
        label + Column("this " + n) + "  " + Column("other " + n);
  }
  EXPECT_EQ(Shown(empty), Lines(blank));
  EXPECT_EQ(Shown(filled), Lines(expected));

  // A long text is not cut. Control bytes and escape sequences from a loaded file show as '?'
  // (the field keeps them); Windows-1252 text keeps one column per character.
  SetField(filled.thisMachine.cpu, "Quad-core processor, 3400 MHz, 8 MB level 3");
  SetField(filled.thisMachine.os, "\x1b]0;owned\x07\x1b[2J\r");
  SetField(filled.otherMachine.os, "Z\xFCrich \x80\x81");
  Describe(filled.thisDrives, 'C', "\t", "c", "d");
  BuildDescriptionView(filled);
  EXPECT_EQ(LineText(filled.ReportText[7]),
            "CPU             :  Quad-core processor, 3400 MHz, 8 MB level 3  other 3" + Spaces(28));
  EXPECT_EQ(LineText(filled.ReportText[18]),
            "OS              :  " + Column("?]0;owned??[2J?") + "  " + Column("Z\xFCrich \x80?"));
  EXPECT_EQ(LineText(filled.ReportText[21]), "Harddisk        :  " + Column("?"));
  EXPECT_EQ(FieldText(filled.thisMachine.os), "\x1b]0;owned\x07\x1b[2J\r");
}

TEST(DescriptionView, DrivesPairByRankOnlyRecordsWithTheirOwnLetterCountAndLine99StaysEmpty) {
  BenchmarkState state;
  Describe(state.thisDrives, 'C', "ST31000528AS", "SATA II", "ahci");
  Describe(state.otherDrives, 'E', "Samsung 970", "NVMe", "nvme");
  Describe(state.otherDrives, 'F', "WD10EZEX", "SATA III", "ahci");
  // Record D holds another drive's letter, record G a lowercase one, record H none at all.
  SetField(state.thisDrives[1].letter, "E");
  SetField(state.thisDrives[4].letter, "g");
  SetField(state.thisDrives[5].harddisk, "no letter");
  BuildDescriptionView(state);
  // Line 18 is the last machine line; line 19 stays empty.
  EXPECT_TRUE(Shown(state).ends_with(
      Lines({"OS              :  " + Spaces(72), "",
             "Driveletter     :  C" + Spaces(34) + "  E" + Spaces(34),
             "Harddisk        :  ST31000528AS" + Spaces(23) + "  Samsung 970" + Spaces(24),
             "Controller      :  SATA II" + Spaces(28) + "  NVMe" + Spaces(31),
             "Driver          :  ahci" + Spaces(31) + "  nvme" + Spaces(31), "",
             "Driveletter     :" + Spaces(39) + "F" + Spaces(34),
             "Harddisk        :" + Spaces(39) + "WD10EZEX" + Spaces(27),
             "Controller      :" + Spaces(39) + "SATA III" + Spaces(27),
             "Driver          :" + Spaces(39) + "ahci" + Spaces(31)})));
  Describe(state.thisDrives, 'D', "WD10EZEX", "SATA III", "ahci");
  state.otherDrives = {};
  BuildDescriptionView(state);
  EXPECT_EQ(LineText(state.ReportText[25]), "Driveletter     :  D" + Spaces(34));

  // Sixteen blocks fit: drive R takes lines 95 to 98; drive S would start at line 100.
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    Describe(state.thisDrives, letter, "disk", "ctl", "drv");
    Describe(state.otherDrives, letter, "disk", "ctl", "drv");
  }
  const TestSelection untouched = state.testSelection;
  BuildDescriptionView(state);
  EXPECT_EQ(LineText(state.ReportText[95]),
            "Driveletter     :  R" + Spaces(34) + "  R" + Spaces(34));
  EXPECT_EQ(LineText(state.ReportText[98]),
            "Driver          :  drv" + Spaces(32) + "  drv" + Spaces(32));
  EXPECT_EQ(state.ReportText[99][0], '\0');
  EXPECT_EQ(state.testSelection.runDrive, untouched.runDrive);  // nothing written past the lines
}

// Writing itself (replacing, links, modes) is the save's; here the empty report and the outcomes.
TEST(TextExport, AnEmptyReportGivesAnEmptyFileAndAMissingFolderIsReported) {
  const test_support::TempFolder folder;
  BenchmarkState state;
  EXPECT_EQ(ExportReport(state.ReportText, folder / "report.txt"), FileOutcome::Done);
  EXPECT_EQ(std::filesystem::file_size(folder / "report.txt"), 0u);
  EXPECT_EQ(ExportReport(state.ReportText, folder / "missing/report.txt"),
            FileOutcome::CannotCreate);
}

}  // namespace
}  // namespace quorvane

// The description view and its toggle: the fourteen machine lines, the drive blocks paired by
// rank, the bound at line 99, and the switch back to the results view.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "engine/BenchmarkState.h"
#include "report/DescriptionView.h"
#include "report/ResultsView.h"

namespace quorvane {
namespace {

std::string Line(const BenchmarkState& state, int index) {
  const ReportLine& line = state.ReportText[static_cast<std::size_t>(index)];
  return std::string(line.data(), strnlen(line.data(), line.size()));
}

std::string Spaces(std::size_t count) { return std::string(count, ' '); }

// A text of at most 35 characters in its column of 35.
std::string Column(const std::string& text) { return text + Spaces(35 - text.size()); }

// The machine lines: where each stands, its label and its field's index in kMachineFields.
const std::array<std::tuple<int, const char*, std::size_t>, 14> kMachineLines = {{
    {2, "Number of threads: ", 12}, {4, "Brand           :  ", 0}, {5, "Model           :  ", 1},
    {6, "Motherboard     :  ", 2}, {7, "CPU             :  ", 3}, {8, "Number of CPUs  :  ", 13},
    {10, "Internal clock  :  ", 4}, {11, "External clock  :  ", 5}, {12, "Cache size      :  ", 6},
    {13, "Cache type      :  ", 7}, {14, "RAM size        :  ", 8}, {15, "RAM type        :  ", 9},
    {16, "RAM speed       :  ", 10}, {18, "OS              :  ", 11}}};

// No line is written but the machine lines and `driveLines`.
void ExpectOnlyUsed(const BenchmarkState& state, std::vector<int> driveLines) {
  std::vector<int> used;
  for (int i = 0; i < kReportLines; ++i) {
    if (!Line(state, i).empty()) used.push_back(i);
  }
  driveLines.insert(driveLines.begin(), {2, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 18});
  EXPECT_EQ(used, driveLines);
}

void Describe(DriveTable& drives, char letter, const char* harddisk, const char* controller,
              const char* driver) {
  DriveDescription& record = drives[static_cast<std::size_t>(letter - 'C')];
  SetField(record.letter, std::string(1, letter));
  SetField(record.harddisk, harddisk);
  SetField(record.controller, controller);
  SetField(record.driver, driver);
}

TEST(DescriptionView, MachineLinesStandInTwoColumnsOfThirtyFiveAndLongTextsAreNotCut) {
  BenchmarkState empty;
  std::strcpy(empty.ReportText[40].data(), "left from before");
  BuildDescriptionView(empty);
  EXPECT_TRUE(empty.descriptionShown);
  ExpectOnlyUsed(empty, {});

  BenchmarkState filled;
  for (std::size_t i = 0; i < kMachineFields.size(); ++i) {
    SetField(filled.thisMachine.*kMachineFields[i], "this " + std::to_string(i));
    SetField(filled.otherMachine.*kMachineFields[i], "other " + std::to_string(i));
  }
  BuildDescriptionView(filled);
  for (const auto& [line, label, field] : kMachineLines) {
    // Each blank field still takes its 35 columns: 35 + 2 + 35 spaces after the label.
    EXPECT_EQ(Line(empty, line), label + Spaces(72)) << "line " << line;
    const std::string n = std::to_string(field);
    EXPECT_EQ(Line(filled, line), label + Column("this " + n) + "  " + Column("other " + n));
  }
  SetField(filled.thisMachine.cpu, "Quad-core processor, 3400 MHz, 8 MB level 3");  // 43 characters
  BuildDescriptionView(filled);
  EXPECT_EQ(Line(filled, 7),
            "CPU             :  Quad-core processor, 3400 MHz, 8 MB level 3  other 3" + Spaces(28));

  // Control bytes and escape sequences from a loaded file show as '?' (the field keeps them);
  // Windows-1252 text keeps one column per character.
  SetField(filled.thisMachine.os, "\x1b]0;owned\x07\x1b[2J\r");
  SetField(filled.otherMachine.os, "Z\xFCrich \x80\x81");
  BuildDescriptionView(filled);
  EXPECT_EQ(Line(filled, 18), "OS              :  " + Column("?]0;owned??[2J?") + "  " + Column("Z\xFCrich \x80?"));
  EXPECT_EQ(FieldText(filled.thisMachine.os), "\x1b]0;owned\x07\x1b[2J\r");
  Describe(filled.thisDrives, 'C', "\t", "c", "d");
  BuildDescriptionView(filled);
  EXPECT_EQ(Line(filled, 21), "Harddisk        :  " + Column("?"));
}

TEST(DescriptionView, DrivesPairByRankWhateverTheirLetters) {
  BenchmarkState state;
  Describe(state.thisDrives, 'C', "ST31000528AS", "SATA II", "ahci");
  Describe(state.thisDrives, 'D', "WD10EZEX", "SATA III", "ahci");
  Describe(state.otherDrives, 'E', "Samsung 970", "NVMe", "nvme");
  BuildDescriptionView(state);
  EXPECT_EQ(Line(state, 20), "Driveletter     :  C" + Spaces(34) + "  E" + Spaces(34));
  EXPECT_EQ(Line(state, 21),
            "Harddisk        :  ST31000528AS" + Spaces(23) + "  Samsung 970" + Spaces(24));
  EXPECT_EQ(Line(state, 22), "Controller      :  SATA II" + Spaces(28) + "  NVMe" + Spaces(31));
  EXPECT_EQ(Line(state, 23), "Driver          :  ahci" + Spaces(31) + "  nvme" + Spaces(31));
  EXPECT_EQ(Line(state, 25), "Driveletter     :  D" + Spaces(34));
  EXPECT_EQ(Line(state, 26), "Harddisk        :  WD10EZEX" + Spaces(27));
  EXPECT_EQ(Line(state, 27), "Controller      :  SATA III" + Spaces(27));
  EXPECT_EQ(Line(state, 28), "Driver          :  ahci" + Spaces(31));
  ExpectOnlyUsed(state, {20, 21, 22, 23, 25, 26, 27, 28});

  // A comparison drive without a partner of its rank keeps its column.
  BenchmarkState otherAlone;
  Describe(otherAlone.thisDrives, 'C', "ST31000528AS", "SATA II", "ahci");
  Describe(otherAlone.otherDrives, 'E', "Samsung 970", "NVMe", "nvme");
  Describe(otherAlone.otherDrives, 'F', "WD10EZEX", "SATA III", "ahci");
  BuildDescriptionView(otherAlone);
  EXPECT_EQ(Line(otherAlone, 25), "Driveletter     :" + Spaces(39) + "F" + Spaces(34));
  EXPECT_EQ(Line(otherAlone, 26), "Harddisk        :" + Spaces(39) + "WD10EZEX" + Spaces(27));
  EXPECT_EQ(Line(otherAlone, 27), "Controller      :" + Spaces(39) + "SATA III" + Spaces(27));
  EXPECT_EQ(Line(otherAlone, 28), "Driver          :" + Spaces(39) + "ahci" + Spaces(31));

  // Only records carrying their own letter are described: record C holds a lowercase letter,
  // record D another drive's letter, record E none at all, whatever their other fields hold.
  BenchmarkState misfiled;
  SetField(misfiled.thisDrives[0].letter, "c");
  SetField(misfiled.thisDrives[0].harddisk, "lowercase");
  SetField(misfiled.thisDrives[1].letter, "E");
  SetField(misfiled.thisDrives[1].harddisk, "wrong letter");
  SetField(misfiled.thisDrives[2].harddisk, "no letter");
  Describe(misfiled.thisDrives, 'F', "WD10EZEX", "SATA III", "ahci");
  SetField(misfiled.otherDrives[23].letter, "Y");  // record Z
  BuildDescriptionView(misfiled);
  EXPECT_EQ(Line(misfiled, 20), "Driveletter     :  F" + Spaces(34));
  ExpectOnlyUsed(misfiled, {20, 21, 22, 23});
}

TEST(DescriptionView, SixteenBlocksFitAndNothingIsWrittenBelowLine99) {
  BenchmarkState both;
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    Describe(both.thisDrives, letter, "disk", "ctl", "drv");
    Describe(both.otherDrives, letter, "disk", "ctl", "drv");
  }
  const TestSelection untouched = both.testSelection;

  BuildDescriptionView(both);

  // The sixteenth block, drive R, takes lines 95 to 98; drive S would start at line 100.
  EXPECT_EQ(Line(both, 95), "Driveletter     :  R" + Spaces(34) + "  R" + Spaces(34));
  EXPECT_EQ(Line(both, 98), "Driver          :  drv" + Spaces(32) + "  drv" + Spaces(32));
  EXPECT_EQ(Line(both, 99), "");
  // The members after the report lines are untouched.
  EXPECT_TRUE(both.descriptionShown);
  EXPECT_EQ(both.testSelection.LengthFactor, untouched.LengthFactor);
  EXPECT_EQ(both.testSelection.RealTimePriority, untouched.RealTimePriority);
  EXPECT_EQ(both.testSelection.runDrive, untouched.runDrive);
}

TEST(DescriptionView, ToggleSwitchesBetweenDescriptionAndResults) {
  BenchmarkState state;
  SetRow(state.thisResults[0], 'd', 1500);
  SetRow(state.otherResults[0], 'd', 1000);
  SetField(state.thisMachine.threads, "8");
  const std::string dhrystone =
      "Dhrystone 2.1                   1500       1000  kDhryst. 150 percent";
  BuildReport(state);

  EXPECT_TRUE(ShowDescription(state));
  EXPECT_EQ(Line(state, 0), "");
  EXPECT_EQ(Line(state, 2), "Number of threads: 8" + Spaces(71));

  EXPECT_FALSE(ShowDescription(state));
  EXPECT_EQ(Line(state, 3), dhrystone);
  EXPECT_EQ(Line(state, 18), "");  // the description's last machine line is gone

  EXPECT_TRUE(ShowDescription(state));
  // Any rebuild of the results, such as the first result of a run, leaves the description.
  BuildReport(state);
  EXPECT_FALSE(state.descriptionShown);
  EXPECT_EQ(Line(state, 3), dhrystone);
}

}  // namespace
}  // namespace quorvane

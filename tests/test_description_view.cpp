// The description view and its toggle: the fourteen machine lines, the drive blocks paired by
// rank, the bound at line 99, and the switch back to the results view.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
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

std::string Spaces(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

void Describe(DriveTable& drives, char letter, const char* harddisk, const char* controller,
              const char* driver) {
  DriveDescription& record = drives[static_cast<std::size_t>(letter - 'C')];
  SetField(record.letter, std::string(1, letter));
  SetField(record.harddisk, harddisk);
  SetField(record.controller, controller);
  SetField(record.driver, driver);
}

void ExpectEmptyExcept(const BenchmarkState& state, const std::vector<int>& used) {
  for (int i = 0; i < kReportLines; ++i) {
    bool isUsed = false;
    for (int u : used) isUsed = isUsed || u == i;
    if (!isUsed) {
      EXPECT_EQ(Line(state, i), "") << "line " << i;
    }
  }
}

const std::vector<int> kMachineLineNumbers = {2, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 18};

TEST(DescriptionView, EmptyDescriptionsShowFourteenLabelledBlankLines) {
  BenchmarkState state;
  std::strcpy(state.ReportText[40].data(), "left from before");

  BuildDescriptionView(state);

  EXPECT_TRUE(state.descriptionShown);
  // Each blank field still takes its 35 columns: 35 + 2 + 35 spaces after the label.
  const std::vector<std::pair<int, std::string>> expected = {
      {2, "Number of threads: "}, {4, "Brand           :  "}, {5, "Model           :  "},
      {6, "Motherboard     :  "}, {7, "CPU             :  "}, {8, "Number of CPUs  :  "},
      {10, "Internal clock  :  "}, {11, "External clock  :  "}, {12, "Cache size      :  "},
      {13, "Cache type      :  "}, {14, "RAM size        :  "}, {15, "RAM type        :  "},
      {16, "RAM speed       :  "}, {18, "OS              :  "}};
  for (const auto& [line, label] : expected) {
    EXPECT_EQ(Line(state, line), label + Spaces(72)) << "line " << line;
  }
  ExpectEmptyExcept(state, kMachineLineNumbers);
}

TEST(DescriptionView, FieldsStandInTwoColumnsOfThirtyFiveAndLongTextsAreNotCut) {
  BenchmarkState state;
  SetField(state.thisMachine.threads, "4");
  SetField(state.otherMachine.threads, "16");
  SetField(state.thisMachine.brand, "Acme");
  SetField(state.thisMachine.cpu, "Quad-core processor, 3400 MHz, 8 MB level 3");  // 43 characters
  SetField(state.otherMachine.cpu, "Dual");
  SetField(state.otherMachine.os, "Debian 12");
  SetField(state.thisMachine.cpuCount, "1");
  SetField(state.thisMachine.ramSpeed, "DDR4-3200");

  BuildDescriptionView(state);

  EXPECT_EQ(Line(state, 2), "Number of threads: 4" + Spaces(34) + "  16" + Spaces(33));
  EXPECT_EQ(Line(state, 4), "Brand           :  Acme" + Spaces(31) + "  " + Spaces(35));
  EXPECT_EQ(Line(state, 7),
            "CPU             :  Quad-core processor, 3400 MHz, 8 MB level 3  Dual" + Spaces(31));
  EXPECT_EQ(Line(state, 8), "Number of CPUs  :  1" + Spaces(34) + "  " + Spaces(35));
  EXPECT_EQ(Line(state, 16), "RAM speed       :  DDR4-3200" + Spaces(26) + "  " + Spaces(35));
  EXPECT_EQ(Line(state, 18), "OS              :  " + Spaces(35) + "  Debian 12" + Spaces(26));
}

TEST(DescriptionView, DrivesPairByRankWhateverTheirLetters) {
  BenchmarkState state;
  Describe(state.thisDrives, 'C', "ST31000528AS", "SATA II", "ahci");
  Describe(state.thisDrives, 'D', "WD10EZEX", "SATA III", "ahci");
  Describe(state.otherDrives, 'E', "Samsung 970", "NVMe", "nvme");

  BuildDescriptionView(state);

  EXPECT_EQ(Line(state, 19), "");
  EXPECT_EQ(Line(state, 20), "Driveletter     :  C" + Spaces(34) + "  E" + Spaces(34));
  EXPECT_EQ(Line(state, 21),
            "Harddisk        :  ST31000528AS" + Spaces(23) + "  Samsung 970" + Spaces(24));
  EXPECT_EQ(Line(state, 22), "Controller      :  SATA II" + Spaces(28) + "  NVMe" + Spaces(31));
  EXPECT_EQ(Line(state, 23), "Driver          :  ahci" + Spaces(31) + "  nvme" + Spaces(31));
  EXPECT_EQ(Line(state, 24), "");
  EXPECT_EQ(Line(state, 25), "Driveletter     :  D" + Spaces(34));
  EXPECT_EQ(Line(state, 26), "Harddisk        :  WD10EZEX" + Spaces(27));
  EXPECT_EQ(Line(state, 27), "Controller      :  SATA III" + Spaces(27));
  EXPECT_EQ(Line(state, 28), "Driver          :  ahci" + Spaces(31));
  std::vector<int> used = kMachineLineNumbers;
  for (int i : {20, 21, 22, 23, 25, 26, 27, 28}) used.push_back(i);
  ExpectEmptyExcept(state, used);
}

TEST(DescriptionView, ComparisonDriveAloneKeepsItsColumn) {
  BenchmarkState state;
  Describe(state.thisDrives, 'C', "ST31000528AS", "SATA II", "ahci");
  Describe(state.otherDrives, 'E', "Samsung 970", "NVMe", "nvme");
  Describe(state.otherDrives, 'F', "WD10EZEX", "SATA III", "ahci");

  BuildDescriptionView(state);

  EXPECT_EQ(Line(state, 20), "Driveletter     :  C" + Spaces(34) + "  E" + Spaces(34));
  EXPECT_EQ(Line(state, 25), "Driveletter     :" + Spaces(39) + "F" + Spaces(34));
  EXPECT_EQ(Line(state, 26), "Harddisk        :" + Spaces(39) + "WD10EZEX" + Spaces(27));
  EXPECT_EQ(Line(state, 27), "Controller      :" + Spaces(39) + "SATA III" + Spaces(27));
  EXPECT_EQ(Line(state, 28), "Driver          :" + Spaces(39) + "ahci" + Spaces(31));
  EXPECT_EQ(Line(state, 29), "");
  EXPECT_EQ(Line(state, 30), "");
}

TEST(DescriptionView, OnlyRecordsCarryingTheirOwnLetterAreDescribed) {
  BenchmarkState state;
  // Record C holds a lowercase letter, record D another drive's letter, record E none at all:
  // none of them is described, whatever their other fields hold.
  SetField(state.thisDrives[0].letter, "c");
  SetField(state.thisDrives[0].harddisk, "lowercase");
  SetField(state.thisDrives[1].letter, "E");
  SetField(state.thisDrives[1].harddisk, "wrong letter");
  SetField(state.thisDrives[2].harddisk, "no letter");
  Describe(state.thisDrives, 'F', "WD10EZEX", "SATA III", "ahci");
  SetField(state.otherDrives[23].letter, "Y");  // record Z

  BuildDescriptionView(state);

  EXPECT_EQ(Line(state, 20), "Driveletter     :  F" + Spaces(34));
  EXPECT_EQ(Line(state, 21), "Harddisk        :  WD10EZEX" + Spaces(27));
  std::vector<int> used = kMachineLineNumbers;
  for (int i : {20, 21, 22, 23}) used.push_back(i);
  ExpectEmptyExcept(state, used);
}

TEST(DescriptionView, SixteenBlocksFitAndNothingIsWrittenBelowLine99) {
  BenchmarkState both;
  BenchmarkState thisOnly;
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    Describe(both.thisDrives, letter, "disk", "ctl", "drv");
    Describe(both.otherDrives, letter, "disk", "ctl", "drv");
    Describe(thisOnly.thisDrives, letter, "disk", "ctl", "drv");
  }
  const TestSelection untouched = both.testSelection;

  BuildDescriptionView(both);
  BuildDescriptionView(thisOnly);

  // The sixteenth block, drive R, takes lines 95 to 98; drive S would start at line 100.
  EXPECT_EQ(Line(both, 90), "Driveletter     :  Q" + Spaces(34) + "  Q" + Spaces(34));
  EXPECT_EQ(Line(both, 95), "Driveletter     :  R" + Spaces(34) + "  R" + Spaces(34));
  EXPECT_EQ(Line(both, 98), "Driver          :  drv" + Spaces(32) + "  drv" + Spaces(32));
  EXPECT_EQ(Line(both, 99), "");
  EXPECT_EQ(Line(thisOnly, 95), "Driveletter     :  R" + Spaces(34));
  EXPECT_EQ(Line(thisOnly, 98), "Driver          :  drv" + Spaces(32));
  EXPECT_EQ(Line(thisOnly, 99), "");
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
  BuildReport(state);

  EXPECT_TRUE(ShowDescription(state));
  EXPECT_TRUE(state.descriptionShown);
  EXPECT_EQ(Line(state, 0), "");
  EXPECT_EQ(Line(state, 2), "Number of threads: 8" + Spaces(34) + "  " + Spaces(35));
  EXPECT_EQ(Line(state, 3), "");

  EXPECT_FALSE(ShowDescription(state));
  EXPECT_FALSE(state.descriptionShown);
  EXPECT_EQ(Line(state, 0), "                                this      other              relative");
  EXPECT_EQ(Line(state, 2), " ");
  EXPECT_EQ(Line(state, 3), "Dhrystone 2.1                   1500       1000  kDhryst. 150 percent");
  EXPECT_EQ(Line(state, 18), "");

  EXPECT_TRUE(ShowDescription(state));
  // Any rebuild of the results, such as the first result of a run, leaves the description.
  BuildReport(state);
  EXPECT_FALSE(state.descriptionShown);
  EXPECT_EQ(Line(state, 3), "Dhrystone 2.1                   1500       1000  kDhryst. 150 percent");
}

}  // namespace
}  // namespace quorvane

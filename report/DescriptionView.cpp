#include "report/DescriptionView.h"

#include <array>
#include <string>

#include "engine/ReportLines.h"
#include "engine/Windows1252.h"
#include "report/ResultsView.h"

namespace quorvane {

namespace {

// One machine line: where it stands, its format (this text, other text) and its field.
struct MachineLineFormat {
  int line;
  const char* format;
  DescriptionField MachineDescription::*field;
};

constexpr std::array<MachineLineFormat, kMachineFieldCount> kMachineLines = {{
    {2, "Number of threads: %-35s  %-35s", &MachineDescription::threads},
    {4, "Brand           :  %-35s  %-35s", &MachineDescription::brand},
    {5, "Model           :  %-35s  %-35s", &MachineDescription::model},
    {6, "Motherboard     :  %-35s  %-35s", &MachineDescription::motherboard},
    {7, "CPU             :  %-35s  %-35s", &MachineDescription::cpu},
    {8, "Number of CPUs  :  %-35s  %-35s", &MachineDescription::cpuCount},
    {10, "Internal clock  :  %-35s  %-35s", &MachineDescription::internalClock},
    {11, "External clock  :  %-35s  %-35s", &MachineDescription::externalClock},
    {12, "Cache size      :  %-35s  %-35s", &MachineDescription::cacheSize},
    {13, "Cache type      :  %-35s  %-35s", &MachineDescription::cacheType},
    {14, "RAM size        :  %-35s  %-35s", &MachineDescription::ramSize},
    {15, "RAM type        :  %-35s  %-35s", &MachineDescription::ramType},
    {16, "RAM speed       :  %-35s  %-35s", &MachineDescription::ramSpeed},
    {18, "OS              :  %-35s  %-35s", &MachineDescription::os},
}};

// One line of a drive block in its three forms, and the record field it shows.
struct DriveLineFormat {
  const char* paired;
  const char* thisOnly;
  const char* otherOnly;
  DescriptionField DriveDescription::*field;
};

constexpr int kDriveFieldCount = 4;
constexpr std::array<DriveLineFormat, kDriveFieldCount> kDriveLines = {{
    {"Driveletter     :  %-35s  %-35s", "Driveletter     :  %-35s",
     "Driveletter     :                                       %-35s", &DriveDescription::letter},
    {"Harddisk        :  %-35s  %-35s", "Harddisk        :  %-35s",
     "Harddisk        :                                       %-35s", &DriveDescription::harddisk},
    {"Controller      :  %-35s  %-35s", "Controller      :  %-35s",
     "Controller      :                                       %-35s",
     &DriveDescription::controller},
    {"Driver          :  %-35s  %-35s", "Driver          :  %-35s",
     "Driver          :                                       %-35s", &DriveDescription::driver},
}};

constexpr int kFirstDriveLine = 20;
constexpr int kDriveBlockLines = kDriveFieldCount + 1;  // the fields and one empty line

// A field as the report shows it: control bytes (which a loaded file may hold) as '?'.
std::string Text(const DescriptionField& field) { return ShowableText(FieldText(field)); }

void WriteMachineLines(const MachineDescription& thisMachine,
                       const MachineDescription& otherMachine, ReportLines& lines) {
  for (const MachineLineFormat& format : kMachineLines) {
    FormatLine(lines[static_cast<std::size_t>(format.line)], format.format,
               Text(thisMachine.*format.field).c_str(), Text(otherMachine.*format.field).c_str());
  }
}

// The described records of one machine in ascending letter order.
struct DescribedDrives {
  std::array<const DriveDescription*, kDriveRecords> records{};
  int count = 0;
};

DescribedDrives CollectDescribed(const DriveTable& drives) {
  DescribedDrives described;
  for (int k = 0; k < kDriveRecords; ++k) {
    if (IsDriveDescribed(drives, k)) {
      described.records[static_cast<std::size_t>(described.count++)] =
          &drives[static_cast<std::size_t>(k)];
    }
  }
  return described;
}

// Writes the four field lines of one drive block at `line`; a null side has no drive of this
// rank.
void WriteDriveBlock(ReportLines& lines, int line, const DriveDescription* thisDrive,
                     const DriveDescription* otherDrive) {
  for (int i = 0; i < kDriveFieldCount; ++i) {
    const DriveLineFormat& format = kDriveLines[static_cast<std::size_t>(i)];
    ReportLine& target = lines[static_cast<std::size_t>(line + i)];
    if (thisDrive && otherDrive) {
      FormatLine(target, format.paired, Text(thisDrive->*format.field).c_str(),
                 Text(otherDrive->*format.field).c_str());
    } else if (thisDrive) {
      FormatLine(target, format.thisOnly, Text(thisDrive->*format.field).c_str());
    } else {
      FormatLine(target, format.otherOnly, Text(otherDrive->*format.field).c_str());
    }
  }
}

// Pairs the described drives of both machines by rank, from line 20 on, as long as a whole
// block fits in the report.
void WriteDriveBlocks(const DriveTable& thisDrives, const DriveTable& otherDrives,
                      ReportLines& lines) {
  const DescribedDrives thisDescribed = CollectDescribed(thisDrives);
  const DescribedDrives otherDescribed = CollectDescribed(otherDrives);
  int line = kFirstDriveLine;
  for (int rank = 0; rank < thisDescribed.count || rank < otherDescribed.count; ++rank) {
    if (line + kDriveFieldCount > kReportLines) return;
    const std::size_t index = static_cast<std::size_t>(rank);
    const DriveDescription* thisDrive =
        rank < thisDescribed.count ? thisDescribed.records[index] : nullptr;
    const DriveDescription* otherDrive =
        rank < otherDescribed.count ? otherDescribed.records[index] : nullptr;
    WriteDriveBlock(lines, line, thisDrive, otherDrive);
    line += kDriveBlockLines;
  }
}

}  // namespace

void BuildDescriptionView(BenchmarkState& state) {
  state.descriptionShown = true;
  EmptyReportLines(state.ReportText);
  WriteMachineLines(state.thisMachine, state.otherMachine, state.ReportText);
  WriteDriveBlocks(state.thisDrives, state.otherDrives, state.ReportText);
}

bool ShowDescription(BenchmarkState& state) {
  if (state.descriptionShown) {
    BuildReport(state);
  } else {
    BuildDescriptionView(state);
  }
  return state.descriptionShown;
}

}  // namespace quorvane

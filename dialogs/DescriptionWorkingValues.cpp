#include "dialogs/DescriptionWorkingValues.h"

#include <algorithm>

namespace quorvane {

using W = DescriptionWorkingValues;
using M = MachineDescription;

const std::array<MachineTextBinding, 13> kMachineTextBindings = {{
    {&W::cpuCount, &M::cpuCount},
    {&W::brand, &M::brand},
    {&W::model, &M::model},
    {&W::motherboard, &M::motherboard},
    {&W::cpu, &M::cpu},
    {&W::internalClock, &M::internalClock},
    {&W::externalClock, &M::externalClock},
    {&W::cacheSize, &M::cacheSize},
    {&W::cacheType, &M::cacheType},
    {&W::ramSize, &M::ramSize},
    {&W::ramType, &M::ramType},
    {&W::ramSpeed, &M::ramSpeed},
    {&W::os, &M::os},
}};

namespace {

// Stores the text into the field; a text without store text leaves the field as it was.
void StoreText(DescriptionField& field, const QString& text) {
  if (const std::optional<std::string> bytes = ToStoreText(text)) SetField(field, *bytes);
}

}  // namespace

DescriptionWorkingValues WorkingValuesFromStore(const BenchmarkState& state) {
  DescriptionWorkingValues values;
  values.threads = ReadValue(FieldText(state.thisMachine.threads));
  if (values.threads == 0) values.threads = 1;
  for (const MachineTextBinding& binding : kMachineTextBindings) {
    values.*binding.text = FromStoreText(FieldText(state.thisMachine.*binding.field));
  }
  const DriveDescription& driveC = state.thisDrives[0];
  values.currentDrive = 0;
  values.driveLetter = QString(QChar(kFirstDrive));
  values.harddisk = FromStoreText(FieldText(driveC.harddisk));
  values.controller = FromStoreText(FieldText(driveC.controller));
  values.driver = FromStoreText(FieldText(driveC.driver));
  return values;
}

DescriptionWorkingValues WorkingValuesOf(const MachineDescription& machine,
                                         const DriveTable& drives, int currentDrive) {
  DescriptionWorkingValues values;
  values.threads = ReadValue(FieldText(machine.threads));
  if (values.threads == 0) values.threads = 1;
  for (const MachineTextBinding& binding : kMachineTextBindings) {
    values.*binding.text = FromStoreText(FieldText(machine.*binding.field));
  }
  ShowDrive(values, drives, currentDrive);
  return values;
}

bool SameMachineTexts(const MachineDescription& a, const MachineDescription& b) {
  return std::all_of(kMachineFields.begin(), kMachineFields.end(),
                     [&](auto field) { return FieldText(a.*field) == FieldText(b.*field); });
}

void WriteChangedMachineFields(const DescriptionWorkingValues& values,
                               const DescriptionWorkingValues& shown, MachineDescription& machine) {
  if (values.threads != shown.threads) SetField(machine.threads, std::to_string(values.threads));
  for (const MachineTextBinding& binding : kMachineTextBindings) {
    if (values.*binding.text != shown.*binding.text) {
      StoreText(machine.*binding.field, values.*binding.text);
    }
  }
}

void WriteMachine(const DescriptionWorkingValues& values, MachineDescription& machine) {
  SetField(machine.threads, std::to_string(values.threads));
  for (const MachineTextBinding& binding : kMachineTextBindings) {
    StoreText(machine.*binding.field, values.*binding.text);
  }
}

void ShowDrive(DescriptionWorkingValues& values, const DriveTable& drives, int drive) {
  values.currentDrive = std::clamp(drive, 0, kDriveRecords - 1);
  values.driveLetter = QString(QChar(kFirstDrive + values.currentDrive));
  if (IsDriveDescribed(drives, values.currentDrive)) {
    const DriveDescription& record = drives[static_cast<std::size_t>(values.currentDrive)];
    values.harddisk = FromStoreText(FieldText(record.harddisk));
    values.controller = FromStoreText(FieldText(record.controller));
    values.driver = FromStoreText(FieldText(record.driver));
  } else {
    values.harddisk.clear();
    values.controller.clear();
    values.driver.clear();
  }
}

void StoreDriveField(const DescriptionWorkingValues& values, DriveField field, DriveTable& drives) {
  DriveDescription& record = drives[static_cast<std::size_t>(values.currentDrive)];
  StoreText(record.letter, values.driveLetter);
  switch (field) {
    case DriveField::Harddisk:
      StoreText(record.harddisk, values.harddisk);
      break;
    case DriveField::Controller:
      StoreText(record.controller, values.controller);
      break;
    case DriveField::Driver:
      StoreText(record.driver, values.driver);
      break;
  }
}

void DeleteDrive(DescriptionWorkingValues& values, DriveTable& drives) {
  const QChar letter = values.driveLetter.isEmpty() ? QChar() : values.driveLetter.front();
  if (letter >= QChar(kFirstDrive) && letter <= QChar(kLastDrive)) {
    drives[static_cast<std::size_t>(letter.unicode() - kFirstDrive)].letter[0] = '\0';
  }
  values.harddisk.clear();
  values.controller.clear();
  values.driver.clear();
}

}  // namespace quorvane

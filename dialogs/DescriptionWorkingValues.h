// The description dialog's working values (what its controls show, kept between openings) and
// how they are taken from and written into this machine's description and drive records.
// Knows nothing of widgets; reads a machine description only when it is asked to build values
// from one.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "dialogs/StoreText.h"
#include "engine/BenchmarkState.h"

namespace quorvane {

struct DescriptionWorkingValues {
  std::int32_t threads = 1;  // "# of threads to run"
  QString brand;
  QString model;
  QString motherboard;
  QString cpu;
  QString internalClock;
  QString externalClock;
  QString cacheSize;
  QString cacheType;
  QString ramSize;
  QString ramType;
  QString ramSpeed;
  QString os;
  QString cpuCount;  // "# of CPUs"
  QString driveLetter;
  QString harddisk;
  QString controller;
  QString driver;
  int currentDrive = 0;  // the drive record being edited: 0 = C ... 23 = Z
};

// The 13 machine fields that are plain texts, paired with their working text.
struct MachineTextBinding {
  QString DescriptionWorkingValues::*text;
  DescriptionField MachineDescription::*field;
};
extern const std::array<MachineTextBinding, 13> kMachineTextBindings;

// The values at start-up: thread count from `threads` (1 when it reads as 0), the machine texts
// from thisMachine, drive C with the texts of its record.
DescriptionWorkingValues WorkingValuesFromStore(const BenchmarkState& state);

// The values of `machine` (a loaded description): thread count and texts as above, and drive
// `currentDrive` shown from `drives` as ShowDrive does.
DescriptionWorkingValues WorkingValuesOf(const MachineDescription& machine,
                                         const DriveTable& drives, int currentDrive);

// True when the 14 fields of `a` and `b` hold the same texts.
bool SameMachineTexts(const MachineDescription& a, const MachineDescription& b);

// Writes all 14 machine fields: `threads` as plain decimal text, the others cut at 63 characters.
void WriteMachine(const DescriptionWorkingValues& values, MachineDescription& machine);

// Writes, as WriteMachine does, only the fields whose working value differs from `shown` (what the
// opening showed): a field the user left as it was keeps its bytes, even where the controls could
// not show them exactly (a text cut by an input limit, a thread count that was not plain digits).
void WriteChangedMachineFields(const DescriptionWorkingValues& values,
                               const DescriptionWorkingValues& shown, MachineDescription& machine);

// Makes `drive` (kept within C..Z) the current drive: its letter, and its three texts when the
// record is described, otherwise empty texts.
void ShowDrive(DescriptionWorkingValues& values, const DriveTable& drives, int drive);

enum class DriveField { Harddisk, Controller, Driver };

// Writes the letter text and one of the three drive texts into the current drive's record; the
// letter marks the record as described.
void StoreDriveField(const DescriptionWorkingValues& values, DriveField field, DriveTable& drives);

// Un-describes the drive named by the first character of the letter text (its other fields keep
// their text) and empties the three drive texts. A letter outside C..Z touches no record.
void DeleteDrive(DescriptionWorkingValues& values, DriveTable& drives);

}  // namespace quorvane

#include "engine/DetectedDescription.h"

#include <array>
#include <string>
#include <string_view>

#include "engine/Windows1252.h"

namespace quorvane {

namespace {

// Detected texts are UTF-8; the store holds Windows-1252.
void Set(DescriptionField& field, std::string_view utf8) {
  SetField(field, Utf8ToWindows1252Lenient(utf8));
}

}  // namespace

void ApplyDetectedDescription(const DetectedMachine& detected, MachineDescription& machine,
                              DriveTable& drives) {
  Set(machine.brand, detected.brand);
  Set(machine.model, detected.model);
  Set(machine.motherboard, detected.motherboard);
  Set(machine.cpu, detected.cpu);
  Set(machine.internalClock, detected.internalClock);
  Set(machine.externalClock, detected.externalClock);
  Set(machine.cacheSize, detected.cacheSize);
  Set(machine.cacheType, detected.cacheType);
  Set(machine.ramSize, detected.ramSize);
  Set(machine.ramType, detected.ramType);
  Set(machine.ramSpeed, detected.ramSpeed);
  Set(machine.os, detected.os);
  Set(machine.cpuCount, detected.cpuCount);
  for (const DetectedDrive& drive : detected.drives) {
    if (drive.letter < kFirstDrive || drive.letter > kLastDrive) continue;
    if (drive.harddisk.empty() && drive.controller.empty() && drive.driver.empty()) continue;
    DriveDescription& record = drives[static_cast<std::size_t>(drive.letter - kFirstDrive)];
    SetField(record.letter, std::string(1, drive.letter));
    Set(record.harddisk, drive.harddisk);
    Set(record.controller, drive.controller);
    Set(record.driver, drive.driver);
  }
}

}  // namespace quorvane

#include "engine/DetectedDescription.h"

#include <array>
#include <string>
#include <string_view>

namespace quorvane {

namespace {

// The store's 8-bit text of a UTF-8 text: one byte per character of Latin-1, '?' for any other
// character and for bytes that are not UTF-8.
std::string StoreText(std::string_view utf8) {
  std::string bytes;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      bytes += static_cast<char>(lead);
      ++i;
      continue;
    }
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (i + length > utf8.size()) length = utf8.size() - i;
    if (length == 2 && lead >= 0xC2 && lead <= 0xC3 &&
        (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      bytes += static_cast<char>((lead & 0x03) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
    } else {
      bytes += '?';
    }
    i += length;
  }
  return bytes;
}

void Set(DescriptionField& field, std::string_view utf8) { SetField(field, StoreText(utf8)); }

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

#include "engine/DetectedDescription.h"

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "engine/Windows1252.h"

namespace quorvane {

namespace {

// Detected texts are UTF-8; the store holds Windows-1252.
void Set(DescriptionField& field, std::string_view utf8) {
  SetField(field, Utf8ToWindows1252Lenient(utf8));
}

using M = MachineDescription;
using D = DetectedMachine;

// Each machine text and the detected text it takes (the thread count is never detected).
constexpr std::pair<DescriptionField M::*, std::string D::*> kDetectedTexts[] = {
    {&M::brand, &D::brand},
    {&M::model, &D::model},
    {&M::motherboard, &D::motherboard},
    {&M::cpu, &D::cpu},
    {&M::internalClock, &D::internalClock},
    {&M::externalClock, &D::externalClock},
    {&M::cacheSize, &D::cacheSize},
    {&M::cacheType, &D::cacheType},
    {&M::ramSize, &D::ramSize},
    {&M::ramType, &D::ramType},
    {&M::ramSpeed, &D::ramSpeed},
    {&M::os, &D::os},
    {&M::cpuCount, &D::cpuCount}};

}  // namespace

void ApplyDetectedDescription(const DetectedMachine& detected, MachineDescription& machine,
                              DriveTable& drives) {
  for (const auto& [field, text] : kDetectedTexts) Set(machine.*field, detected.*text);
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

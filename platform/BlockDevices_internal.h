// The disk behind a drive, from the block devices that the system publishes below a root folder
// (sys/class/block, sys/dev/block, sys/devices): its model, how it is attached and the driver
// that serves it. For the machine detection of platform/ only. Never throws; what cannot be
// found is left empty. Any thread may call it.
#pragma once

#include <filesystem>

#include "platform/DriveMap.h"
#include "platform/MachineDetection.h"

namespace quorvane {

// The disk of `mapping`, whose device and mount point names are taken as seen from `root`.
DetectedDrive DetectDrive(const std::filesystem::path& root, const DriveMapping& mapping);

}  // namespace quorvane

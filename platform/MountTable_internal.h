// Drive letters from a Linux mount table: C is the filesystem of "/", D onwards the other
// writable disk filesystems in mount-table order, one letter per device. Pseudo and network
// filesystems get none, and a read-only filesystem is not available. Parses text only: any
// thread, no blocking, no failure (a line it cannot parse is skipped).
#pragma once

#include <string_view>
#include <vector>

#include "platform/DriveMap.h"

namespace quorvane {

// The drives of a mount table in the format of /proc/self/mounts.
std::vector<DriveMapping> MapDrives(std::string_view mountTable);

}  // namespace quorvane

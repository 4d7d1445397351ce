#include "platform/DriveMap.h"

namespace quorvane {

std::array<bool, 26> DriveAvailability(const std::vector<DriveMapping>& drives) {
  std::array<bool, 26> available{};
  for (const DriveMapping& drive : drives) {
    available[static_cast<std::size_t>(drive.letter - 'A')] = drive.available;
  }
  return available;
}

}  // namespace quorvane

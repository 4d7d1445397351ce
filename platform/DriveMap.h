// Drive letters for the mounted filesystems: C is the filesystem of "/", D onwards the other
// writable disk filesystems in mount-table order, one letter per device. Pseudo and network
// filesystems get none, and a read-only filesystem is not available. Reads the mount table only.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

struct DriveMapping {
  char letter = 'C';       // 'C'..'Z'
  std::string mountPoint;  // where the filesystem is mounted
  std::string fsType;      // as the mount table names it (ext4, xfs, vfat ...)
  std::string device;
  bool available = false;  // a writable disk filesystem
};

// The drives of a mount table in the format of /proc/self/mounts.
std::vector<DriveMapping> MapDrives(std::string_view mountTable);

// The drives of this system (from /proc/self/mounts); none when it cannot be read.
std::vector<DriveMapping> MapSystemDrives();

// The folder in which the disk test of `drive` makes its file: the current directory when it
// lies on the drive's filesystem, otherwise the drive's mount point.
std::filesystem::path DriveFolder(const DriveMapping& drive);

// Availability by drive letter, index 0 = A ... 25 = Z.
std::array<bool, 26> DriveAvailability(const std::vector<DriveMapping>& drives);

}  // namespace quorvane

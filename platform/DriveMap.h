// Drive letters C..Z for the disks the disk test may write to, each with the folder in which the
// test makes its file. On Windows these are the logical drives that are fixed disks; on Linux C is
// the filesystem of "/" and D onwards the other writable disk filesystems (see
// MountTable_internal.h). Only reads what the system reports (a file or a few system calls, no
// waiting for a device); safe to call from any thread, several at once; nothing to hold.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace quorvane {

struct DriveMapping {
  char letter = 'C';       // 'C'..'Z'
  std::string mountPoint;  // where the filesystem is mounted (the root folder "D:\" on Windows)
  std::string fsType;      // as the system names it (ext4, xfs, vfat, NTFS ...)
  std::string device;
  bool available = false;  // a writable disk filesystem
};

// The drives of this system, in letter order; none when the system cannot say.
std::vector<DriveMapping> MapSystemDrives();

// The folder in which the disk test of `drive` makes its file: the current directory when it
// lies on the drive's filesystem, otherwise the drive's mount point.
std::filesystem::path DriveFolder(const DriveMapping& drive);

// Availability by drive letter, index 0 = A ... 25 = Z.
std::array<bool, 26> DriveAvailability(const std::vector<DriveMapping>& drives);

}  // namespace quorvane

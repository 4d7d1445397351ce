#include "platform/DriveMap.h"
#include "platform/MountTable_internal.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace quorvane {

namespace {

// Filesystems that keep their files on a local block device.
constexpr std::string_view kDiskFilesystems[] = {
    "ext2",  "ext3", "ext4",    "xfs",     "btrfs",    "vfat", "msdos",
    "exfat", "ntfs", "ntfs3",   "fuseblk", "f2fs",     "jfs",  "reiserfs",
    "zfs",   "hfs",  "hfsplus", "nilfs2",  "bcachefs", "udf",  "minix"};

// Filesystems that hold no files of a disk at all; "/" on one of these gets no drive.
constexpr std::string_view kPseudoFilesystems[] = {
    "proc",    "sysfs",     "tmpfs",      "devtmpfs", "devpts",      "cgroup",
    "cgroup2", "ramfs",     "securityfs", "pstore",   "debugfs",     "tracefs",
    "mqueue",  "hugetlbfs", "configfs",   "fusectl",  "binfmt_misc", "autofs",
    "bpf",     "efivarfs",  "rpc_pipefs", "nsfs",     "rootfs"};

bool IsOneOf(std::string_view value, const auto& list) {
  return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

// Mount tables write a blank, tab, newline and backslash in a path as \040, \011, \012, \134.
std::string Unescape(std::string_view field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() &&
        std::all_of(field.begin() + static_cast<long>(i) + 1,
                    field.begin() + static_cast<long>(i) + 4,
                    [](char c) { return c >= '0' && c <= '7'; })) {
      text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                (field[i + 3] - '0'));
      i += 3;
    } else {
      text += field[i];
    }
  }
  return text;
}

bool IsReadOnly(const std::string& options) {
  std::istringstream list(options);
  for (std::string option; std::getline(list, option, ',');) {
    if (option == "ro") return true;
  }
  return false;
}

}  // namespace

std::vector<DriveMapping> MapDrives(std::string_view mountTable) {
  std::vector<DriveMapping> drives;
  std::vector<std::string> devicesWithLetters;
  char next = 'D';
  std::istringstream lines{std::string(mountTable)};
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string device, mountPoint, fsType, options;
    if (!(fields >> device >> mountPoint >> fsType >> options)) continue;
    DriveMapping drive{'C', Unescape(mountPoint), fsType, Unescape(device), !IsReadOnly(options)};
    if (drive.mountPoint == "/") {
      if (IsOneOf(fsType, kPseudoFilesystems)) continue;
      drives.erase(std::remove_if(drives.begin(), drives.end(),
                                  [](const DriveMapping& d) { return d.letter == 'C'; }),
                   drives.end());  // "/" mounted over an earlier root
      drives.push_back(drive);
      devicesWithLetters.push_back(drive.device);
      continue;
    }
    if (!IsOneOf(fsType, kDiskFilesystems) || !drive.available || next > 'Z') continue;
    if (IsOneOf(drive.device, devicesWithLetters)) continue;
    drive.letter = next++;
    drives.push_back(drive);
    devicesWithLetters.push_back(drive.device);
  }
  std::sort(drives.begin(), drives.end(),
            [](const DriveMapping& a, const DriveMapping& b) { return a.letter < b.letter; });
  return drives;
}

std::vector<DriveMapping> MapSystemDrives() {
  std::ifstream table("/proc/self/mounts");
  if (!table) return {};
  std::ostringstream text;
  text << table.rdbuf();
  return MapDrives(text.str());
}

std::filesystem::path DriveFolder(const DriveMapping& drive) {
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  struct stat here {};
  struct stat mount {};
  if (!error && stat(current.c_str(), &here) == 0 && stat(drive.mountPoint.c_str(), &mount) == 0 &&
      here.st_dev == mount.st_dev) {
    return current;
  }
  return drive.mountPoint;
}

}  // namespace quorvane

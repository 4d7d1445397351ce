#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/BlockDevices_internal.h"
#include "platform/SystemFiles.h"
#include "platform/SystemText.h"

namespace quorvane {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxHops = 8;  // links and stacked devices followed, at most

// `path` as seen from `root`: an absolute path is taken below it.
fs::path Below(const fs::path& root, const fs::path& path) {
  return path.is_absolute() ? root / path.relative_path() : root / path;
}

// The sysfs node of the block device numbered `device`, if sysfs knows it.
std::string BlockNameOfNumber(const fs::path& root, dev_t device) {
  const std::string number = std::to_string(major(device)) + ":" + std::to_string(minor(device));
  const fs::path node = Resolved(root / "sys/dev/block" / number);
  return node.empty() ? std::string() : node.filename().string();
}

// The kernel's name of the block device that a mount table's device names ("sda1", "dm-0"),
// following links such as /dev/mapper/x or /dev/disk/by-uuid/x within `root`; when the name is
// no block device (/dev/root, overlay), the device that holds the mount point.
std::string BlockName(const fs::path& root, const DriveMapping& drive) {
  const fs::path device(drive.device);
  if (device.is_absolute()) {
    fs::path path = Below(root, device);
    for (int hop = 0; hop < kMaxHops; ++hop) {
      std::error_code error;
      if (!fs::is_symlink(path, error)) break;
      const fs::path target = fs::read_symlink(path, error);
      if (error) break;
      path = (target.is_absolute() ? Below(root, target) : path.parent_path() / target)
                 .lexically_normal();
    }
    const std::string name = path.filename().string();
    if (!name.empty() && Exists(root / "sys/class/block" / name)) return name;
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISBLK(status.st_mode)) {
      if (std::string byNumber = BlockNameOfNumber(root, status.st_rdev); !byNumber.empty())
        return byNumber;
    }
  }
  struct stat status {};
  if (stat(Below(root, drive.mountPoint).c_str(), &status) == 0)
    return BlockNameOfNumber(root, status.st_dev);
  return {};
}

// The whole disk under a block device: a partition's disk, and for a stacked device (device
// mapper, software RAID) the disk of the first device it is built on.
fs::path DiskNode(const fs::path& root, const std::string& name) {
  fs::path node = Resolved(root / "sys/class/block" / name);
  for (int hop = 0; hop < kMaxHops && !node.empty(); ++hop) {
    if (Exists(node / "partition")) node = node.parent_path();
    const std::vector<std::string> below = ListFolder(node / "slaves");
    if (below.empty()) break;
    node = Resolved(root / "sys/class/block" / below.front());
  }
  return node;
}

bool HasComponent(const fs::path& path, auto&& test) {
  return std::any_of(path.begin(), path.end(),
                     [&](const fs::path& part) { return test(part.string()); });
}

// How a disk is attached, from the folders of the device path it lies in below /sys.
std::string ControllerOf(const fs::path& root, const fs::path& diskNode) {
  const fs::path node = diskNode.lexically_relative(Resolved(root));
  const auto starts = [](std::string_view prefix) {
    return
        [prefix](const std::string& part) { return part.compare(0, prefix.size(), prefix) == 0; };
  };
  if (HasComponent(node, starts("nvme"))) return "NVMe";
  if (HasComponent(node, starts("usb"))) return "USB";
  if (HasComponent(node, starts("mmc"))) return "MMC";
  if (HasComponent(node, [](const std::string& part) { return IsNumbered(part, "ata"); }))
    return "SATA";
  if (HasComponent(node, starts("virtio"))) return "virtio";
  if (HasComponent(node, starts("vbd-"))) return "Xen";
  if (HasComponent(node, [](const std::string& part) { return IsNumbered(part, "host"); }))
    return "SCSI";
  return {};
}

// The driver nearest to the disk that is not the generic SCSI disk or CD driver, which says
// little (the host adapter's driver, ahci or uas, says more); that generic one when it is all.
std::string DriverOf(const fs::path& root, const fs::path& device) {
  const fs::path devices = Resolved(root / "sys/devices");
  std::string generic;
  fs::path at = device;
  for (int hop = 0; hop < 4 * kMaxHops && !at.empty() && at != devices && at != at.root_path();
       ++hop) {
    std::error_code error;
    const fs::path driver = fs::read_symlink(at / "driver", error);
    if (!error) {
      const std::string name = driver.filename().string();
      if (name != "sd" && name != "sr") return CleanSystemText(name);
      if (generic.empty()) generic = name;
    }
    at = at.parent_path();
  }
  return generic;
}

}  // namespace

DetectedDrive DetectDrive(const fs::path& root, const DriveMapping& mapping) {
  DetectedDrive drive;
  drive.letter = mapping.letter;
  const std::string name = BlockName(root, mapping);
  if (name.empty()) return drive;
  const fs::path node = DiskNode(root, name);
  if (node.empty()) return drive;
  drive.controller = ControllerOf(root, node);
  const fs::path device = Resolved(node / "device");
  if (device.empty()) {
    // A device of the kernel's own (loop, zram, device mapper without disks): its kind.
    std::string kind = node.filename().string();
    while (!kind.empty() &&
           (std::isdigit(static_cast<unsigned char>(kind.back())) || kind.back() == '-'))
      kind.pop_back();
    drive.driver = CleanSystemText(kind);
    return drive;
  }
  std::string model = CleanSystemText(ReadSystemValue(device / "model"));
  if (model.empty()) model = CleanSystemText(ReadSystemValue(device / "name"));  // memory cards
  std::string vendor = CleanSystemText(ReadSystemValue(device / "vendor"));
  if (vendor == "ATA" || vendor.rfind("0x", 0) == 0 || IsPlaceholderText(vendor)) vendor.clear();
  drive.harddisk = model.empty() ? std::string() : JoinMakerAndName(vendor, model);
  drive.driver = DriverOf(root, device);
  return drive;
}

}  // namespace quorvane

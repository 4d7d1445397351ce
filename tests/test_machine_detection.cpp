#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/MachineDetection.h"
#include "platform/SystemFiles.h"
#include "tests/fixture_tree.h"

namespace quorvane {
namespace {

using test_support::FixtureTree;

// A firmware structure of `type` and `length` bytes with the 16-bit `fields` {offset, value},
// each written only where the length has room for it.
std::string Structure(std::uint8_t type, std::uint8_t length,
                      const std::vector<std::pair<std::size_t, std::uint16_t>>& fields) {
  std::string bytes(length, '\0');
  bytes[0] = static_cast<char>(type);
  bytes[1] = static_cast<char>(length);
  for (const auto& [offset, value] : fields) {
    if (offset + 2 > bytes.size()) continue;
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
  }
  return bytes;
}

// A memory device (type 17): size word, type code, rated and configured speed, and its name.
std::string MemoryDevice(std::uint16_t size, std::uint8_t type, std::uint16_t speed,
                         std::uint16_t configured, std::uint8_t length = 0x5C) {
  return Structure(17, length, {{0x0C, size}, {0x12, type}, {0x15, speed}, {0x20, configured}}) +
         std::string("DIMM A1\0\0", 9);
}

// A processor (type 4) whose external clock is `clock` MHz.
std::string Processor(std::uint16_t clock) {
  return Structure(4, 0x30, {{0x12, clock}}) + std::string("\0\0", 2);
}

DriveMapping Drive(char letter, std::string device, std::string mountPoint = "/mnt") {
  return {letter, std::move(mountPoint), "ext4", std::move(device), true};
}

// A link at `from` to `to`, both below the tree's root, written relative to the link's folder
// as sysfs writes its links.
void SysLink(const FixtureTree& tree, const std::string& from, const std::string& to) {
  const std::filesystem::path folder = std::filesystem::path(from).parent_path();
  tree.Link(from, std::filesystem::path(to).lexically_relative(folder).string());
}

// The disk of the device folder `device`: its block folder `block` there (with `partition` in
// it when one is given) listed in sys/class/block, and the driver of the device, if it has one.
void Disk(const FixtureTree& tree, const std::string& device, const std::string& block,
          const std::string& partition, const std::string& driver = "") {
  const std::string node = device + "/" + block + (partition.empty() ? "" : "/" + partition);
  if (!partition.empty()) tree.File(node + "/partition", "1\n");
  SysLink(tree, device + "/" + block + "/device", device);
  SysLink(tree, "sys/class/block/" + std::filesystem::path(node).filename().string(), node);
  if (!driver.empty()) SysLink(tree, device + "/driver", "sys/bus/" + driver);
}

// A workstation as sysfs shows it: two packages, two L3 caches, two modules and an empty slot,
// and six kinds of disk, one of them behind the device mapper.
void BuildWorkstation(const FixtureTree& tree) {
  tree.File("sys/class/dmi/id/sys_vendor", "Dell Inc.\n");
  tree.File("sys/class/dmi/id/product_name", "Precision 7920 Tower   \n");
  tree.File("sys/class/dmi/id/board_vendor", "Dell Inc.\n");
  tree.File("sys/class/dmi/id/board_name", "060K5C\n");
  std::string cpuinfo;
  for (int cpu = 0; cpu < 4; ++cpu) {
    const std::string name = "sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/";
    cpuinfo +=
        "processor\t: " + std::to_string(cpu) +
        "\nmodel name\t: Intel(R) Xeon(R) Gold 6130 CPU @ 2.10GHz\ncpu MHz\t\t: 1000.000\n\n";
    tree.File(name + "topology/physical_package_id", cpu < 2 ? "0\n" : "1\n");
    tree.File(name + "cpufreq/cpuinfo_max_freq", cpu == 3 ? "3700000\n" : "2100000\n");
    // Level, type, size and the processors sharing it, of the four caches of each processor.
    const std::string own = std::to_string(cpu), l3 = cpu < 2 ? "0-1\n" : "2-3\n";
    const std::string caches[4][4] = {{"1\n", "Data\n", "32K\n", own},
                                      {"1\n", "Instruction\n", "32K\n", own},
                                      {"2\n", "Unified\n", "1024K\n", own},
                                      {"3\n", "Unified\n", "22528K\n", l3}};
    for (int index = 0; index < 4; ++index) {
      for (int k = 0; k < 4; ++k) {
        const char* const files[] = {"/level", "/type", "/size", "/shared_cpu_list"};
        tree.File(name + "cache/index" + std::to_string(index) + files[k], caches[index][k]);
      }
    }
  }
  tree.File("proc/cpuinfo", cpuinfo);
  tree.File("proc/meminfo", "MemTotal:       32471300 kB\nMemFree:  1 kB\n");
  tree.File("sys/firmware/dmi/entries/17-0/raw", MemoryDevice(16384, 0x1A, 3200, 2933));
  tree.File("sys/firmware/dmi/entries/17-1/raw", MemoryDevice(0, 0x02, 0, 0));  // empty slot
  tree.File("sys/firmware/dmi/entries/17-2/raw", MemoryDevice(16384, 0x1A, 3200, 2933));
  tree.File("sys/firmware/dmi/entries/4-0/raw", Processor(100));
  tree.File("etc/os-release", "NAME=\"Ubuntu\"\nPRETTY_NAME=\"Ubuntu 22.04.4 LTS\"\n");
  tree.File("proc/sys/kernel/osrelease", "6.5.0-35-generic\n");

  const std::string pci = "sys/devices/pci0000:00/";
  // NVMe: the namespace's device is the controller, whose PCI function has the driver.
  tree.File(pci + "0000:01:00.0/nvme/nvme0/model", "Samsung SSD 980 PRO 1TB     \n");
  Disk(tree, pci + "0000:01:00.0/nvme/nvme0", "nvme0n1", "nvme0n1p2");
  SysLink(tree, pci + "0000:01:00.0/driver", "sys/bus/pci/drivers/nvme");
  // SATA under the device mapper: dm-0 is built on sda1.
  const std::string sata = pci + "0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0";
  tree.File(sata + "/model", "Samsung SSD 860 EVO 1TB\n");
  tree.File(sata + "/vendor", "ATA     \n");
  Disk(tree, sata, "block/sda", "sda1", "scsi/drivers/sd");
  SysLink(tree, pci + "0000:00:17.0/driver", "sys/bus/pci/drivers/ahci");
  tree.Folder("sys/devices/virtual/block/dm-0/slaves/sda1");
  tree.Link("sys/class/block/dm-0", "../../devices/virtual/block/dm-0");
  tree.Link("dev/mapper/data", "../dm-0");
  // USB stick.
  const std::string usb = pci + "0000:00:14.0/usb1/1-1/1-1:1.0";
  tree.File(usb + "/host2/target2:0:0/2:0:0:0/vendor", "SanDisk \n");
  tree.File(usb + "/host2/target2:0:0/2:0:0:0/model", "Cruzer Blade    \n");
  Disk(tree, usb + "/host2/target2:0:0/2:0:0:0", "block/sdb", "sdb1", "scsi/drivers/sd");
  SysLink(tree, usb + "/driver", "sys/bus/usb/drivers/usb-storage");
  // Virtual machine disk without a model.
  tree.File(pci + "0000:00:02.0/virtio1/vendor", "0x1af4\n");
  Disk(tree, pci + "0000:00:02.0/virtio1", "block/vda", "", "virtio/drivers/virtio_blk");
  // Loop device and memory card.
  tree.Folder("sys/devices/virtual/block/loop0");
  tree.Link("sys/class/block/loop0", "../../devices/virtual/block/loop0");
  const std::string card = pci + "0000:00:1a.0/mmc_host/mmc0/mmc0:aaaa";
  tree.File(card + "/name", "SC32G\n");
  Disk(tree, card, "block/mmcblk0", "mmcblk0p1", "mmc/drivers/mmcblk");
}

// Every field of a detection, one a line, then its drives.
std::string Summary(const DetectedMachine& m) {
  std::string text;
  for (const std::string* field :
       {&m.brand, &m.model, &m.motherboard, &m.cpu, &m.cpuCount, &m.internalClock, &m.externalClock,
        &m.cacheSize, &m.cacheType, &m.ramSize, &m.ramType, &m.ramSpeed, &m.os}) {
    text += *field + "\n";
  }
  for (const DetectedDrive& d : m.drives) {
    text += d.letter + (": " + d.harddisk + ", " + d.controller + ", " + d.driver + "\n");
  }
  return text;
}

TEST(MachineDetection, DescribesAWorkstationWithEveryKindOfDisk) {
  FixtureTree tree;
  BuildWorkstation(tree);
  const DetectedMachine machine = DetectMachine(
      tree.root(), {Drive('C', "/dev/nvme0n1p2", "/"), Drive('D', "/dev/mapper/data"),
                    Drive('E', "/dev/sdb1"), Drive('F', "/dev/vda"), Drive('G', "/dev/loop0"),
                    Drive('H', "/dev/mmcblk0p1"), Drive('I', "overlay")});
  // The highest rated clock over the name's 2.10 GHz; two L3 caches of 22 MB; the modules, not
  // the 30.97 GiB the kernel keeps; the configured speed, below the rated 3200.
  EXPECT_EQ(
      Summary(machine),
      "Dell Inc.\nPrecision 7920 Tower\nDell Inc. 060K5C\nIntel(R) Xeon(R) Gold 6130 CPU @ 2.10GHz\n"
      "2\n3700 MHz\n100 MHz\n44 MB\nL3\n32 GB\nDDR4\n2933 MT/s\n"
      "Ubuntu 22.04.4 LTS, Linux 6.5.0-35-generic\n"
      "C: Samsung SSD 980 PRO 1TB, NVMe, nvme\n"
      "D: Samsung SSD 860 EVO 1TB, SATA, ahci\n"
      "E: SanDisk Cruzer Blade, USB, usb-storage\n"
      "F: , virtio, virtio_blk\n"
      "G: , , loop\n"
      "H: SC32G, MMC, mmcblk\n"
      "I: , , \n");
  // A container or a virtual machine without firmware tables and sysfs: nothing is known.
  FixtureTree empty;
  empty.Folder("sys/firmware/dmi/entries");
  EXPECT_EQ(Summary(DetectMachine(empty.root(), {Drive('C', "/dev/sda1", "/")})),
            std::string(13, '\n') + "C: , , \n");
}

// Nonsense, placeholders, numbers beyond 64 bits, broken firmware structures and text that is
// not UTF-8: each field falls back or stays empty.
TEST(MachineDetection, NonsenseFallsBackOrStaysEmpty) {
  FixtureTree tree;
  tree.File("sys/class/dmi/id/sys_vendor", "To Be Filled By O.E.M.\n");
  tree.File("sys/class/dmi/id/product_name", "Se\xC3\xB1or\tPC\x01  Ultra\xFF\n");
  tree.File("sys/class/dmi/id/board_name", "B550 AORUS ELITE\n");
  tree.File("proc/cpuinfo",
            "model name\t: Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz\nphysical id\t: 0\n"
            "cache size\t: 12288 KB\n\nmodel name\t: ignored\nphysical id\t: 1\n");
  tree.File("sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq", "99999999999999999999999\n");
  tree.File("sys/devices/system/cpu/cpu0/topology/physical_package_id", "abc\n");
  tree.File("sys/devices/system/cpu/cpu0/cache/index0/level", "3\n");
  tree.File("sys/devices/system/cpu/cpu0/cache/index0/size", "zzz\n");
  tree.File("proc/meminfo", "MemTotal:       99999999999999999999999 kB\n");
  const std::string good = MemoryDevice(8192, 0x18, 1600, 0, 0x17);    // an older, shorter table
  tree.File("sys/firmware/dmi/entries/17-0/raw", good.substr(0, 10));  // cut short
  std::string otherType = good;
  otherType[0] = 4;
  tree.File("sys/firmware/dmi/entries/17-1/raw", otherType);
  tree.File("sys/firmware/dmi/entries/17-2/raw",
            MemoryDevice(0x7FFF, 0x1A, 0, 0, 0x15));  // no room
  tree.File("sys/firmware/dmi/entries/17-3/raw", good);
  tree.File("sys/firmware/dmi/entries/4-0/raw", Processor(0));  // does not say
  tree.File("usr/lib/os-release", "NAME='Arch Linux'\nBUILD_ID=rolling\n");
  EXPECT_EQ(Summary(DetectMachine(tree.root(), {})),
            "\nSe\xC3\xB1or PC Ultra?\nB550 AORUS ELITE\nIntel(R) Core(TM) i7-8700 CPU @ 3.20GHz\n"
            "2\n3200 MHz\n\n12 MB\n\n8 GB\nDDR3\n1600 MT/s\nArch Linux\n");

  // Without firmware tables the memory size comes from the kernel.
  FixtureTree plain;
  plain.File("proc/cpuinfo",
             "model name\t: AMD EPYC\ncpu MHz\t\t: 2095.999\n\ncpu MHz\t\t: 1500\n");
  plain.File("proc/meminfo", "MemTotal:       24683748 kB\n");
  plain.File("etc/os-release", "PRETTY_NAME=\"Debian \\\"bookworm\\\"\"\n");
  plain.File("proc/sys/kernel/osrelease", "6.1.0\n");
  EXPECT_EQ(Summary(DetectMachine(plain.root(), {})),
            "\n\n\nAMD EPYC\n\n2096 MHz\n\n\n\n24 GB\n\n\nDebian \"bookworm\", Linux 6.1.0\n");
}

TEST(MachineDetection, MemorySizeIsSaidTheWayPeopleSayIt) {
  constexpr unsigned long long kGiB = 1024 * 1024;  // in kibibytes
  const struct {
    unsigned long long kib;
    const char* text;
  } cases[] = {{kGiB * 31 / 2, "16 GB"},
               {24683748, "24 GB"},
               {kGiB * 39 / 2, "20 GB"},
               {kGiB * 627 / 10, "64 GB"},
               {kGiB * 3, "3 GB"},
               {kGiB * 7 / 2, "4 GB"},
               {kGiB * 1024, "1 TB"},
               {kGiB * 1536, "1536 GB"},
               {480 * 1024, "512 MB"},
               {1, "1 MB"},
               {0, ""},
               {1ULL << 51, ""}};
  for (const auto& c : cases) EXPECT_EQ(MemorySizeText(c.kib), c.text) << c.kib;
}

TEST(MachineDetection, SystemFilesAreReadWithinTheirLimit) {
  FixtureTree tree;
  tree.File("value", "  \t first line \r\nsecond\n");
  tree.File("big", std::string(100, 'x'));
  EXPECT_EQ(ReadSystemValue(tree.root() / "value"), "first line");
  EXPECT_EQ(ReadSystemFile(tree.root() / "big", 100).value_or(""), std::string(100, 'x'));
  EXPECT_FALSE(ReadSystemFile(tree.root() / "big", 99).has_value());
  // /proc files report a size of 0 but have contents.
  EXPECT_NE(ReadSystemFile("/proc/self/status").value_or("").find("Name:"), std::string::npos);
}

}  // namespace
}  // namespace quorvane

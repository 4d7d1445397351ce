// Drive letters from a mount table given as text, and this system's drive C.
#include <gtest/gtest.h>

#include "platform/MountTable_internal.h"

namespace quorvane {
namespace {

// Each drive as letter, mount point and filesystem, with "ro" when it cannot be tested.
std::string Listed(const std::vector<DriveMapping>& drives) {
  std::string text;
  for (const DriveMapping& d : drives) {
    text += d.letter + (" " + d.mountPoint + " " + d.fsType + (d.available ? "\n" : " ro\n"));
  }
  return text;
}

// A mount table (named after what it shows) and its drives as Listed shows them.
struct MountCase {
  const char* name;
  std::string table, listed;
};

std::string MixedTable() {
  return "proc /proc proc rw,relatime 0 0\n"
         "/dev/vda / ext4 rw,relatime 0 0\n"
         "tmpfs /dev/shm tmpfs rw 0 0\n"
         "/dev/sdb1 /mnt/data xfs rw,noatime 0 0\n"
         "/dev/sdc1 /media/my\\040stick vfat rw,uid=1000 0 0\n"
         "/dev/sdb1 /srv/again xfs rw 0 0\n"              // the same device: no second letter
         "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"         // not writable, not a disk filesystem
         "/dev/sdd1 /mnt/archive ext4 ro,relatime 0 0\n"  // read-only: no letter
         "server:/export /mnt/nfs nfs4 rw 0 0\n"          // network
         "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
         "/dev/nvme0n1p3 /home btrfs rw,subvol=/home 0 0\n";
}

// Thirty disks after lines that are no mount entries: the letters end at Z.
MountCase ThirtyDisks() {
  MountCase row{"LinesThatAreNoEntriesAreSkippedAndTheLettersEndAtZ",
                "/dev/vda / ext4 rw 0 0\ngarbage\n\n/dev/x\n", "C / ext4\n"};
  for (int i = 0; i < 30; ++i) {
    row.table += "/dev/disk" + std::to_string(i) + " /mnt/d" + std::to_string(i) + " ext4 rw 0 0\n";
    if (i < 23)
      row.listed += static_cast<char>('D' + i) + (" /mnt/d" + std::to_string(i) + " ext4\n");
  }
  return row;
}

class MapDrivesTest : public testing::TestWithParam<MountCase> {};
TEST_P(MapDrivesTest, RootIsCAndWritableDiskFilesystemsFollowInTableOrder) {
  EXPECT_EQ(Listed(MapDrives(GetParam().table)), GetParam().listed);
}
INSTANTIATE_TEST_SUITE_P(
    DriveMap, MapDrivesTest,
    testing::Values(MountCase{"PseudoNetworkReadOnlyAndRepeatedDevicesGetNoLetter", MixedTable(),
                              "C / ext4\nD /mnt/data xfs\nE /media/my stick vfat\nF /home btrfs\n"},
                    MountCase{"AReadOnlyRootIsCButNotAvailable",
                              "/dev/root / ext4 ro 0 0\n/dev/sda2 /data ext4 rw 0 0\n",
                              "C / ext4 ro\nD /data ext4\n"},
                    MountCase{"ARootOnAPseudoFilesystemHasNoDrive", "tmpfs / tmpfs rw 0 0\n", ""},
                    MountCase{"AContainersOverlayRootHasOne",
                              "overlay / overlay rw,lowerdir=/a 0 0\n", "C / overlay\n"},
                    ThirtyDisks(), MountCase{"AnEmptyTableHasNone", "", ""}),
    [](const testing::TestParamInfo<MountCase>& row) { return std::string(row.param.name); });

TEST(DriveMap, AvailabilityIsIndexedByLetterFromA) {
  std::string available;
  for (const bool letter : DriveAvailability(MapDrives(MixedTable())))
    available += letter ? 'x' : '.';
  EXPECT_EQ(available, "..xxxx....................");
}

TEST(DriveMap, ThisSystemsDriveCIsTheRootWithTheCurrentFolderWhenItLiesOnIt) {
  const std::vector<DriveMapping> drives = MapSystemDrives();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(std::string{drives[0].letter} + drives[0].mountPoint, "C/");
  // The tests run in the build tree, which lies on the root filesystem or on another one.
  const std::filesystem::path folder = DriveFolder(drives[0]);
  EXPECT_TRUE(folder == std::filesystem::current_path() || folder == "/") << folder;
  // A drive whose mount point is not the current directory's filesystem gets its mount point.
  DriveMapping elsewhere = drives[0];
  elsewhere.mountPoint = "/proc";
  EXPECT_EQ(DriveFolder(elsewhere), "/proc");
}

}  // namespace
}  // namespace quorvane

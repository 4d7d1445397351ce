// Drive letters from a mount table given as text.
#include <gtest/gtest.h>

#include "platform/MountTable.h"

namespace quorvane {
namespace {

TEST(DriveMap, RootIsCAndDiskFilesystemsFollowInTableOrder) {
  const char* table =
      "proc /proc proc rw,relatime 0 0\n"
      "sysfs /sys sysfs rw 0 0\n"
      "/dev/vda / ext4 rw,relatime 0 0\n"
      "tmpfs /dev/shm tmpfs rw 0 0\n"
      "/dev/sdb1 /mnt/data xfs rw,noatime 0 0\n"
      "/dev/sdc1 /media/my\\040stick vfat rw,uid=1000 0 0\n"
      "/dev/sdb1 /srv/again xfs rw 0 0\n"                 // the same device: no second letter
      "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"            // not writable, not a disk filesystem
      "/dev/sdd1 /mnt/archive ext4 ro,relatime 0 0\n"     // read-only: no letter
      "server:/export /mnt/nfs nfs4 rw 0 0\n"             // network
      "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
      "/dev/nvme0n1p3 /home btrfs rw,subvol=/home 0 0\n";
  const std::vector<DriveMapping> drives = MapDrives(table);
  ASSERT_EQ(drives.size(), 4u);
  EXPECT_EQ(drives[0].letter, 'C');
  EXPECT_EQ(drives[0].mountPoint, "/");
  EXPECT_EQ(drives[0].fsType, "ext4");
  EXPECT_EQ(drives[1].letter, 'D');
  EXPECT_EQ(drives[1].mountPoint, "/mnt/data");
  EXPECT_EQ(drives[2].letter, 'E');
  EXPECT_EQ(drives[2].mountPoint, "/media/my stick");
  EXPECT_EQ(drives[3].letter, 'F');
  EXPECT_EQ(drives[3].mountPoint, "/home");
  for (const DriveMapping& drive : drives) EXPECT_TRUE(drive.available) << drive.letter;

  const std::array<bool, 26> available = DriveAvailability(drives);
  EXPECT_FALSE(available[0]);
  EXPECT_FALSE(available[1]);
  EXPECT_TRUE(available['C' - 'A']);
  EXPECT_TRUE(available['F' - 'A']);
  EXPECT_FALSE(available['G' - 'A']);
}

TEST(DriveMap, AReadOnlyRootKeepsCButIsNotAvailable) {
  const std::vector<DriveMapping> drives =
      MapDrives("/dev/root / ext4 ro,relatime 0 0\n/dev/sda2 /data ext4 rw 0 0\n");
  ASSERT_EQ(drives.size(), 2u);
  EXPECT_EQ(drives[0].letter, 'C');
  EXPECT_FALSE(drives[0].available);
  EXPECT_EQ(drives[1].letter, 'D');
  EXPECT_TRUE(drives[1].available);
  // A root on a pseudo filesystem has no drive; an overlay root (a container) has one.
  EXPECT_TRUE(MapDrives("tmpfs / tmpfs rw 0 0\n").empty());
  ASSERT_EQ(MapDrives("overlay / overlay rw,lowerdir=/a 0 0\n").size(), 1u);
}

TEST(DriveMap, LettersEndAtZAndBrokenLinesAreSkipped) {
  std::string table = "/dev/vda / ext4 rw 0 0\ngarbage\n\n/dev/x\n";
  for (int i = 0; i < 30; ++i) {
    table += "/dev/disk" + std::to_string(i) + " /mnt/d" + std::to_string(i) + " ext4 rw 0 0\n";
  }
  const std::vector<DriveMapping> drives = MapDrives(table);
  ASSERT_EQ(drives.size(), 24u);
  EXPECT_EQ(drives.back().letter, 'Z');
  EXPECT_EQ(drives.back().mountPoint, "/mnt/d22");
  EXPECT_TRUE(MapDrives("").empty());
}

TEST(DriveMap, ThisSystemHasADriveC) {
  // Every machine these tests run on has a root filesystem.
  const std::vector<DriveMapping> drives = MapSystemDrives();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives[0].letter, 'C');
  EXPECT_EQ(drives[0].mountPoint, "/");
}

TEST(DriveMap, TheTestFolderIsTheCurrentDirectoryWhenItLiesOnTheDrive) {
  const std::vector<DriveMapping> drives = MapSystemDrives();
  ASSERT_FALSE(drives.empty());
  const DriveMapping& root = drives[0];
  const std::filesystem::path current = std::filesystem::current_path();
  // The tests run in the build tree, which lies on the root filesystem or on another one.
  const std::filesystem::path folder = DriveFolder(root);
  EXPECT_TRUE(folder == current || folder == "/") << folder;
  // A drive whose mount point is not the current directory's filesystem gets its mount point.
  DriveMapping elsewhere = root;
  elsewhere.mountPoint = "/proc";
  EXPECT_EQ(DriveFolder(elsewhere), "/proc");
}

}  // namespace
}  // namespace quorvane

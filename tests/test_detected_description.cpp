// Applying a detected description: texts replaced in Windows-1252, the thread count kept, and
// only the drives found described.
#include <gtest/gtest.h>

#include <string>

#include "engine/DetectedDescription.h"

namespace quorvane {
namespace {

TEST(DetectedDescription, ReplacesTheTextsKeepsTheThreadCountAndDescribesFoundDrivesOnly) {
  MachineDescription machine{};
  DriveTable drives{};
  SetField(machine.threads, "4");
  SetField(machine.os, "typed by hand");
  SetField(drives[1].letter, "D");
  SetField(drives[1].harddisk, "typed disk");
  DetectedMachine detected;
  detected.brand = "Se\xC3\xB1or \xE2\x82\xAC \xCE\xA9 Computers";  // ñ and € have a byte, Ω none
  detected.cpu.append(70, 'c');
  detected.drives = {{'C', "Samsung SSD", "NVMe", "nvme"},
                     {'D', "", "", ""},  // nothing found: the typed record stays
                     {'B', "floppy", "", ""}};
  ApplyDetectedDescription(detected, machine, drives);

  EXPECT_EQ(FieldText(machine.brand), "Se\xF1or \x80 ? Computers");
  EXPECT_EQ(FieldText(machine.cpu), std::string(63, 'c'));
  EXPECT_EQ(FieldText(machine.os), "");  // the system said nothing: emptied
  EXPECT_EQ(FieldText(machine.threads), "4");
  ASSERT_TRUE(IsDriveDescribed(drives, 0));
  EXPECT_EQ(FieldText(drives[0].harddisk), "Samsung SSD");
  EXPECT_EQ(FieldText(drives[0].driver), "nvme");
  EXPECT_EQ(FieldText(drives[1].harddisk), "typed disk");
  for (int k = 2; k < kDriveRecords; ++k) EXPECT_FALSE(IsDriveDescribed(drives, k)) << k;
}

}  // namespace
}  // namespace quorvane

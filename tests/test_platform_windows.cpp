// The Windows side of platform/, run under Wine by the windows stage of ./test. Where Wine does
// not behave as Windows does (cache bypass, real-time scheduling) a test checks the calls and
// their failure paths, and its name says what is left to a real Windows machine.
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/DriveMap.h"
#include "platform/Event.h"
#include "platform/MachineEnvironment.h"
#include "platform/MachineIdentity.h"
#include "platform/OpenFile.h"
#include "platform/Priority.h"
#include "platform/SaveFile.h"
#include "platform/UnbufferedFile.h"
#include "tests/temp_folder.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

using test_support::FileBytes;
using test_support::TempFolder;

TEST(WindowsMachineEnvironment, ProcessorTimesAdvanceAndOurOwnWorkCountsAsOurs) {
  const std::optional<ProcessorTimes> before = ReadProcessorTimes({});
  const double ownBefore = OwnProcessorSeconds();
  ASSERT_TRUE(before);
  // Work until our own time has grown by 50 ms (on a busy machine that takes longer).
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (OwnProcessorSeconds() - ownBefore < 0.05 && std::chrono::steady_clock::now() < end) {
  }
  EXPECT_GE(OwnProcessorSeconds() - ownBefore, 0.05);
  const std::optional<ProcessorTimes> after = ReadProcessorTimes({});
  ASSERT_TRUE(after);
  EXPECT_GT(after->total, before->total);
  EXPECT_GE(after->busy - before->busy, 0.04);  // the system's accounting saw that work
  const MachineEnvironment environment = ReadMachineEnvironment({}, std::chrono::milliseconds(50));
  EXPECT_TRUE(environment.otherLoadPercent);  // its range is OtherLoadPercent's, tested on Linux
  EXPECT_EQ(environment.governor, "unknown");
  EXPECT_EQ(CLibraryVersion().rfind("MinGW-w64 ", 0), 0u) << CLibraryVersion();
}

// The identity comes from the installation's MachineGuid, which Wine's prefix has too: 128 bits
// in hexadecimal, the same on every call, never the guid's own text.
TEST(WindowsMachineIdentity, IsDerivedFromMachineGuidAndStable) {
  char guid[64] = {};
  DWORD bytes = sizeof guid;
  ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Cryptography", "MachineGuid",
                         RRF_RT_REG_SZ, nullptr, guid, &bytes),
            ERROR_SUCCESS);
  const std::string identity = ThisMachineIdentity();
  EXPECT_EQ(identity.size(), 32u);
  EXPECT_EQ(identity.find_first_not_of("0123456789abcdef"), std::string::npos) << identity;
  EXPECT_EQ(ThisMachineIdentity(), identity);
  EXPECT_EQ(std::string(guid).find(identity.substr(0, 8)), std::string::npos);
}

TEST(WindowsUnbufferedFile, RoundTripExclusiveCreationAndDelete_CacheBypassLeftToRealWindows) {
  TempFolder folder;
  const fs::path path = folder.path() / "DISKTEST.DAT";
  AlignedBlock block(262144);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.data()) % 4096, 0u);
  for (std::size_t k = 0; k < block.size(); ++k) block.data()[k] = static_cast<std::byte>(k % 256);
  {
    std::optional<UnbufferedFile> file = UnbufferedFile::CreateNew(path);
    ASSERT_TRUE(file.has_value());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(file->Write(block.data(), block.size()), 262144);
    ASSERT_TRUE(file->SeekToStart());
    AlignedBlock back(262144);
    EXPECT_EQ(file->Read(back.data(), back.size()), 262144);
    EXPECT_EQ(std::memcmp(back.data(), block.data(), block.size()), 0);
    // Another open of the name is refused while this one holds it, and an existing name is
    // never taken over.
    errno = 0;
    EXPECT_FALSE(UnbufferedFile::CreateNew(path).has_value());
    EXPECT_EQ(errno, EEXIST);
    file->Close();
    file->Close();
    EXPECT_EQ(file->Write(block.data(), block.size()), -1);
    EXPECT_EQ(file->Read(block.data(), block.size()), -1);
    EXPECT_FALSE(file->SeekToStart());
  }
  EXPECT_EQ(fs::file_size(path), 3u * 262144u);
  EXPECT_TRUE(UnbufferedFile::Delete(path));
  EXPECT_FALSE(UnbufferedFile::Delete(path)) << "deleted the first time";
  errno = 0;
  EXPECT_FALSE(UnbufferedFile::CreateNew(folder.path() / "missing" / "DISKTEST.DAT").has_value());
  EXPECT_EQ(errno, ENOENT);
}

// A leftover of a test that ended abnormally is recognised on the handle: exactly the size
// asked, one name, a plain file; it is removed through that handle. A file held open (a pass
// of a running test) is in use; anything else is kept.
TEST(WindowsUnbufferedFile, ALeftoverIsRemovedAFileInUseOrOfAnotherSizeIsKept) {
  TempFolder folder;
  const fs::path path = folder.path() / "DISKTEST.DAT";
  EXPECT_EQ(UnbufferedFile::ClearLeftover(path, 4096), LeftoverFile::None);
  folder.File("DISKTEST.DAT", std::string(4096, 'x'));
  EXPECT_EQ(UnbufferedFile::ClearLeftover(path, 4097), LeftoverFile::Kept);
  EXPECT_EQ(FileBytes(path), std::string(4096, 'x'));
  EXPECT_EQ(UnbufferedFile::ClearLeftover(path, 4096), LeftoverFile::Removed);
  EXPECT_FALSE(fs::exists(path));
  {
    std::optional<UnbufferedFile> file = UnbufferedFile::CreateNew(path);
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(UnbufferedFile::ClearLeftover(path, 0), LeftoverFile::InUse);
  }
  EXPECT_TRUE(UnbufferedFile::Delete(path));
  EXPECT_TRUE(UnbufferedFile::FreeSpace(folder.path()).has_value());
}

TEST(WindowsDriveMap, FixedDrivesOnlyInLetterOrderWithTheirRootsAndCurrentFolders) {
  const std::vector<DriveMapping> drives = MapSystemDrives();
  // The system drive at least; that a CD-ROM drive is left out, the windows stage shows.
  ASSERT_FALSE(drives.empty());
  char previous = 'B';
  const fs::path current = fs::current_path();
  for (const DriveMapping& drive : drives) {
    EXPECT_GT(drive.letter, previous);
    previous = drive.letter;
    EXPECT_EQ(drive.mountPoint, std::string{drive.letter} + ":\\");
    const fs::path folder = DriveFolder(drive);
    EXPECT_EQ(folder.string().substr(0, 3), drive.mountPoint) << folder;
    // The current folder of the current drive is where its disk test makes its file.
    if (std::toupper(current.string()[0]) == drive.letter) {
      EXPECT_EQ(folder, current);
    }
  }
}

TEST(WindowsPriority, ClassesSwitchAndTheLowestThreadIsRaisedAgain_RealTimeGrantLeftToRealWindows) {
  // Windows grants the high class instead of the real-time one without the privilege; what
  // SetRealTimePriority reports must be the class the process holds.
  const bool granted = SetRealTimePriority();
  EXPECT_EQ(granted, GetPriorityClass(GetCurrentProcess()) == REALTIME_PRIORITY_CLASS);
  EXPECT_EQ(IsRealTimePriority(), GetPriorityClass(GetCurrentProcess()) == REALTIME_PRIORITY_CLASS);
  SetNormalPriority();
  EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
  EXPECT_FALSE(IsRealTimePriority());

  std::atomic<int> threadId{0};
  std::atomic<int> priority{THREAD_PRIORITY_ERROR_RETURN};
  Event lowered, raised;
  std::thread thread([&] {
    SetLowestThreadPriority();
    priority = GetThreadPriority(GetCurrentThread());
    threadId = CurrentThreadId();
    lowered.Set();
    raised.Wait();
    priority = GetThreadPriority(GetCurrentThread());
  });
  lowered.Wait();
  EXPECT_EQ(priority.load(), THREAD_PRIORITY_LOWEST);
  RaiseToCallerPriority(thread.native_handle(), threadId.load());
  raised.Set();
  thread.join();
  EXPECT_EQ(priority.load(), GetThreadPriority(GetCurrentThread()));
  RaiseToCallerPriority(thread.native_handle(), threadId.load());  // an ended thread: no effect
}

TEST(WindowsSaveFile, NewReplacedAndRefusedTargetsLeaveNoTemporaryFile) {
  TempFolder folder;
  const fs::path path = folder.path() / "r.qv3";
  EXPECT_FALSE(CheckSaveTarget(path));
  ASSERT_FALSE(SaveFileContents(path, "first\r\n"));
  EXPECT_EQ(FileBytes(path), "first\r\n");
  ASSERT_FALSE(SaveFileContents(path, "second"));
  EXPECT_EQ(FileBytes(path), "second");

  const fs::path readOnly = folder.path() / "ro.qv3";
  ASSERT_FALSE(SaveFileContents(readOnly, "kept"));
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(CheckSaveTarget(readOnly), std::errc::permission_denied);
  EXPECT_EQ(SaveFileContents(readOnly, "lost"), std::errc::permission_denied);
  EXPECT_EQ(FileBytes(readOnly), "kept");

  EXPECT_EQ(SaveFileContents(folder.path(), "x"), std::errc::is_a_directory);
  EXPECT_EQ(SaveFileContents(folder.path() / "missing" / "x", "x"),
            std::errc::no_such_file_or_directory);
  EXPECT_EQ(CheckSaveTarget(folder.path() / "missing" / "x"), std::errc::no_such_file_or_directory);

  // A device is written in place, never replaced.
  EXPECT_FALSE(SaveFileContents("NUL", "nothing"));

  EXPECT_EQ(folder.EntryCount(), 2u) << "r.qv3 and ro.qv3, no temporary file";
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);  // else the folder cannot go
}

TEST(WindowsOpenFile, OnlyADiskFileIsReadAndNoMoreThanTheLimit) {
  TempFolder folder;
  const fs::path path = folder.path() / "r.qv3";
  folder.File("r.qv3", "\r\nx\r\n\x80\x81");
  ReadFileResult read = ReadRegularFile(path, 7);  // all 7 bytes
  EXPECT_EQ(read.status, ReadStatus::Read);
  EXPECT_EQ(read.bytes, "\r\nx\r\n\x80\x81");
  EXPECT_EQ(ReadRegularFile(path, 6).status, ReadStatus::TooLong);
  // A device is refused by its type, a folder and a missing file with the system's reason.
  EXPECT_EQ(ReadRegularFile("NUL", 6).status, ReadStatus::NotRegular);
  read = ReadRegularFile(folder.path(), 6);
  EXPECT_EQ(read.status, ReadStatus::CannotOpen);
  EXPECT_EQ(read.error, std::errc::is_a_directory);
  read = ReadRegularFile(folder.path() / "missing.qv3", 6);
  EXPECT_EQ(read.status, ReadStatus::CannotOpen);
  EXPECT_EQ(read.error, std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace quorvane

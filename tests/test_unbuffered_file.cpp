// Files that bypass the system's cache, and the aligned blocks they are read and written with.
#include <gtest/gtest.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/SignalCleanup.h"
#include "platform/UnbufferedFile.h"
#include "tests/direct_io_folder.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

TEST(UnbufferedFile, ARoundTripInAlignedBlocksBypassesTheCacheAndDeletes) {
  test_support::DirectIoFolder folder;
  if (folder.path().empty()) GTEST_SKIP() << "no folder that takes unbuffered files";
  const fs::path path = folder.path() / "data.bin";
  constexpr std::size_t kBlock = 262144;
  AlignedBlock out(kBlock);
  AlignedBlock in(kBlock);
  ASSERT_EQ(reinterpret_cast<std::uintptr_t>(out.data()) % 4096, 0u);
  for (std::size_t k = 0; k < kBlock; ++k) out.data()[k] = static_cast<std::byte>(k * 7 % 251);

  std::optional<UnbufferedFile> file = UnbufferedFile::CreateNew(path);
  ASSERT_TRUE(file.has_value());
  EXPECT_TRUE(IsRemovedOnSignal(path.c_str())) << "a stopped process must not leave it behind";
  // Never a second time over the same name, nor through a link.
  errno = 0;
  EXPECT_FALSE(UnbufferedFile::CreateNew(path).has_value());
  EXPECT_EQ(errno, EEXIST);
  // Buffered files take any size at any address; unbuffered ones refuse misaligned transfers.
  EXPECT_EQ(file->Write(out.data() + 1, 4096), -1);
  EXPECT_EQ(file->Write(out.data(), 100), -1);
  ASSERT_EQ(file->Write(out.data(), kBlock), static_cast<long>(kBlock));
  ASSERT_TRUE(file->SeekToStart());
  ASSERT_EQ(file->Read(in.data(), kBlock), static_cast<long>(kBlock));
  EXPECT_EQ(std::memcmp(in.data(), out.data(), kBlock), 0);
  EXPECT_EQ(file->Read(in.data(), kBlock), 0) << "end of the file";
  file->Close();

  EXPECT_TRUE(UnbufferedFile::Delete(path));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_FALSE(IsRemovedOnSignal(path.c_str()));
  EXPECT_FALSE(UnbufferedFile::Delete(path)) << "nothing left to delete";
}

TEST(UnbufferedFile, AMemoryOnlyFolderIsRefusedWithoutLeftovers) {
  struct statfs info {};
  if (statfs("/dev/shm", &info) != 0 || static_cast<unsigned long>(info.f_type) != 0x01021994UL) {
    GTEST_SKIP() << "/dev/shm is not tmpfs here";
  }
  const fs::path path = "/dev/shm/quorvane-unbuffered-" + std::to_string(getpid()) + ".dat";
  EXPECT_FALSE(UnbufferedFile::CreateNew(path).has_value());
  EXPECT_FALSE(fs::remove(path)) << "a file was left behind";
}

}  // namespace
}  // namespace quorvane

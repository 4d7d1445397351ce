// Files that bypass the system's cache, and the aligned blocks they are read and written with.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

#include "platform/UnbufferedFile.h"
#include "tests/direct_io_folder.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test_support::DirectIoFolder;

constexpr std::size_t kBlock = 262144;

void Fill(AlignedBlock& block, unsigned seed) {
  for (std::size_t k = 0; k < block.size(); ++k) {
    block.data()[k] = static_cast<std::byte>((k * 7 + seed) % 251);
  }
}

bool IsTmpfs(const fs::path& folder) {
  struct statfs info {};
  return statfs(folder.c_str(), &info) == 0 && static_cast<unsigned long>(info.f_type) == 0x01021994UL;
}

TEST(UnbufferedFile, AlignedBlockIsAlignedZeroedAndKeepsItsSize) {
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4096}, kBlock}) {
    AlignedBlock block(size);
    EXPECT_EQ(block.size(), size);
    ASSERT_NE(block.data(), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.data()) % 4096, 0u) << size;
    for (std::size_t k = 0; k < size; ++k) ASSERT_EQ(block.data()[k], std::byte{0}) << k;
  }
}

TEST(UnbufferedFile, WritesSeeksAndReadsBackTheSameBytes) {
  DirectIoFolder folder;
  if (folder.path().empty()) GTEST_SKIP() << "no folder that takes unbuffered files";
  const fs::path path = folder.path() / "data.bin";

  AlignedBlock first(kBlock);
  AlignedBlock second(kBlock);
  Fill(first, 1);
  Fill(second, 2);
  std::optional<UnbufferedFile> file = UnbufferedFile::CreateAlways(path);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->Write(first.data(), kBlock), static_cast<long>(kBlock));
  EXPECT_EQ(file->Write(second.data(), kBlock), static_cast<long>(kBlock));
  EXPECT_EQ(fs::file_size(path), 2 * kBlock);

  ASSERT_TRUE(file->SeekToStart());
  AlignedBlock in(kBlock);
  ASSERT_EQ(file->Read(in.data(), kBlock), static_cast<long>(kBlock));
  EXPECT_EQ(std::memcmp(in.data(), first.data(), kBlock), 0);
  ASSERT_EQ(file->Read(in.data(), kBlock), static_cast<long>(kBlock));
  EXPECT_EQ(std::memcmp(in.data(), second.data(), kBlock), 0);
  EXPECT_EQ(file->Read(in.data(), kBlock), 0) << "end of the file";
}

TEST(UnbufferedFile, TheCacheIsReallyBypassed) {
  // Buffered files take any size at any address; unbuffered ones refuse misaligned transfers.
  DirectIoFolder folder;
  if (folder.path().empty()) GTEST_SKIP() << "no folder that takes unbuffered files";
  std::optional<UnbufferedFile> file = UnbufferedFile::CreateAlways(folder.path() / "odd.bin");
  ASSERT_TRUE(file.has_value());
  AlignedBlock block(8192);
  EXPECT_EQ(file->Write(block.data(), 100), -1) << "size not a multiple of the sector size";
  EXPECT_EQ(file->Write(block.data() + 1, 4096), -1) << "misaligned address";
  EXPECT_EQ(file->Write(block.data(), 4096), 4096);
  ASSERT_TRUE(file->SeekToStart());
  EXPECT_EQ(file->Read(block.data(), 100), -1);
}

TEST(UnbufferedFile, CreateAlwaysEmptiesAnExistingFile) {
  DirectIoFolder folder;
  if (folder.path().empty()) GTEST_SKIP() << "no folder that takes unbuffered files";
  const fs::path path = folder.path() / "again.bin";
  AlignedBlock block(4096);
  {
    std::optional<UnbufferedFile> file = UnbufferedFile::CreateAlways(path);
    ASSERT_TRUE(file.has_value());
    ASSERT_EQ(file->Write(block.data(), 4096), 4096);
  }  // closed by the destructor
  EXPECT_EQ(fs::file_size(path), 4096u);
  std::optional<UnbufferedFile> again = UnbufferedFile::CreateAlways(path);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(fs::file_size(path), 0u);
}

TEST(UnbufferedFile, FoldersThatCannotHoldAnUnbufferedFileAreRefusedWithoutLeftovers) {
  EXPECT_FALSE(UnbufferedFile::CreateAlways("/nonexistent-quorvane-folder/DISKTEST.DAT").has_value());

  // tmpfs has no device below its cache; whatever the kernel accepts, it is refused.
  const fs::path shm = "/dev/shm";
  if (!IsTmpfs(shm)) GTEST_SKIP() << "/dev/shm is not tmpfs here";
  const fs::path path = shm / ("quorvane-unbuffered-" + std::to_string(getpid()) + ".dat");
  EXPECT_FALSE(UnbufferedFile::CreateAlways(path).has_value());
  EXPECT_FALSE(fs::exists(path));
  // An existing file there is left as it was.
  { std::ofstream(path) << "keep"; }
  EXPECT_FALSE(UnbufferedFile::CreateAlways(path).has_value());
  EXPECT_EQ(fs::file_size(path), 4u);
  fs::remove(path);
}

TEST(UnbufferedFile, DeleteCloseAndMoveAreSafe) {
  DirectIoFolder folder;
  if (folder.path().empty()) GTEST_SKIP() << "no folder that takes unbuffered files";
  const fs::path path = folder.path() / "gone.bin";
  AlignedBlock block(4096);

  std::optional<UnbufferedFile> file = UnbufferedFile::CreateAlways(path);
  ASSERT_TRUE(file.has_value());
  UnbufferedFile moved(std::move(*file));
  EXPECT_EQ(file->Write(block.data(), 4096), -1) << "a moved-from file has nothing open";
  EXPECT_EQ(moved.Write(block.data(), 4096), 4096);

  std::optional<UnbufferedFile> other = UnbufferedFile::CreateAlways(folder.path() / "other.bin");
  ASSERT_TRUE(other.has_value());
  *other = std::move(moved);  // closes other's own file, takes moved's
  EXPECT_EQ(other->Write(block.data(), 4096), 4096);
  EXPECT_EQ(fs::file_size(path), 8192u);

  other->Close();
  other->Close();
  EXPECT_EQ(other->Write(block.data(), 4096), -1);
  EXPECT_EQ(other->Read(block.data(), 4096), -1);
  EXPECT_FALSE(other->SeekToStart());

  EXPECT_TRUE(UnbufferedFile::Delete(path));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_FALSE(UnbufferedFile::Delete(path)) << "nothing left to delete";
}

}  // namespace
}  // namespace quorvane

// Test helper: a fresh, empty folder (under the system's temporary folder unless another base
// is given), removed with everything in it when the helper goes. It can be filled with files of
// given bytes, links and folders, to serve as the root that the system readers look below.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace quorvane::test_support {

// The bytes of the file at `path` (none when it cannot be read).
inline std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class TempFolder {
 public:
  explicit TempFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
    // A new folder under a random name, never one that is already there, open to its owner only
    // (as mkdtemp, which Windows does not have).
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path candidate = base / ("quorvane-test-" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) path_ = candidate;
    }
    std::error_code ignored;
    if (!path_.empty())
      std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Empty when the folder could not be made.
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const char* name) const { return path_ / name; }
  std::size_t EntryCount() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_),
                                                  std::filesystem::directory_iterator()));
  }

  // Writes `bytes` to the file at `relative`, making the folders on the way.
  void File(const std::string& relative, std::string_view bytes) const {
    std::filesystem::create_directories((path_ / relative).parent_path());
    std::ofstream(path_ / relative, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // A link at `relative` to `target` (written as given, normally relative to the link's folder).
  void Link(const std::string& relative, const std::string& target) const {
    std::filesystem::create_directories((path_ / relative).parent_path());
    std::filesystem::create_symlink(target, path_ / relative);
  }
  void Folder(const std::string& relative) const {
    std::filesystem::create_directories(path_ / relative);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace quorvane::test_support

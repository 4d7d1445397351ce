// Test helper: a folder tree made for one test under the system's temporary folder (files with
// given bytes, relative links, empty folders), removed with its contents at the end. Used as
// the root that the system readers look below.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace quorvane::test_support {

class FixtureTree {
 public:
  FixtureTree() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quorvane-tree-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) root_ = pattern;
  }
  ~FixtureTree() {
    std::error_code error;
    if (!root_.empty()) std::filesystem::remove_all(root_, error);
  }
  FixtureTree(const FixtureTree&) = delete;
  FixtureTree& operator=(const FixtureTree&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // Writes `bytes` to the file at `relative`, making the folders on the way.
  void File(const std::string& relative, std::string_view bytes) const {
    const std::filesystem::path path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // A link at `relative` to `target` (written as given, normally relative to the link's folder).
  void Link(const std::string& relative, const std::string& target) const {
    const std::filesystem::path path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::create_symlink(target, path);
  }
  void Folder(const std::string& relative) const {
    std::filesystem::create_directories(root_ / relative);
  }

 private:
  std::filesystem::path root_;
};

}  // namespace quorvane::test_support

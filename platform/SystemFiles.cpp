#include "platform/SystemFiles.h"

#include <algorithm>
#include <fstream>

namespace quorvane {

std::optional<std::string> ReadSystemFile(const std::filesystem::path& path, std::size_t limit) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  while (file) {
    file.read(chunk, sizeof chunk);
    const auto got = static_cast<std::size_t>(file.gcount());
    if (bytes.size() + got > limit) return std::nullopt;
    bytes.append(chunk, got);
  }
  if (file.bad()) return std::nullopt;  // a read error, not the end of the file
  return bytes;
}

std::string ReadSystemValue(const std::filesystem::path& path) {
  const std::optional<std::string> bytes = ReadSystemFile(path);
  if (!bytes) return {};
  const std::string line = bytes->substr(0, bytes->find('\n'));
  const auto first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

namespace {
constexpr std::size_t kMaxListing = 4096;  // entries looked at in one sysfs folder
}  // namespace

std::vector<std::string> ListFolder(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator() && names.size() < kMaxListing;
       it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool IsNumbered(std::string_view name, std::string_view prefix) {
  return name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix &&
         std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::filesystem::path> NumberedFolders(const std::filesystem::path& folder,
                                                   std::string_view prefix) {
  std::vector<std::filesystem::path> found;
  for (const std::string& name : ListFolder(folder)) {
    if (IsNumbered(name, prefix)) found.push_back(folder / name);
  }
  return found;
}

std::filesystem::path Resolved(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path resolved = std::filesystem::canonical(path, error);
  return error ? std::filesystem::path() : resolved;
}

bool Exists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

}  // namespace quorvane

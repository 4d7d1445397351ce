#include "platform/SystemFiles.h"

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

}  // namespace quorvane

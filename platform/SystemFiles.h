// Reading the small files in which the system reports about itself (/proc, /sys, /etc and
// firmware tables): the whole file up to a size limit, or its first line without surrounding
// blanks. Never throws; a file that is missing, unreadable or larger than the limit gives nothing.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace quorvane {

constexpr std::size_t kSystemFileLimit = std::size_t{4} << 20;

// The bytes of `path`; nothing when it cannot be read or holds more than `limit` bytes.
// Files that report a size of 0 (most of /proc and /sys) are read to their end all the same.
std::optional<std::string> ReadSystemFile(const std::filesystem::path& path,
                                          std::size_t limit = kSystemFileLimit);

// The first line of `path` with blanks, tabs and line ends around it removed; empty when the
// file cannot be read.
std::string ReadSystemValue(const std::filesystem::path& path);

}  // namespace quorvane

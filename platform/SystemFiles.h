// Reading the small files in which the system reports about itself (/proc, /sys, /etc and
// firmware tables): the whole file up to a size limit, or its first line without surrounding
// blanks, and the folders that hold them. Never throws; a file that is missing, unreadable or
// larger than the limit gives nothing, a folder that cannot be listed no names. Any thread may
// call these.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

constexpr std::size_t kSystemFileLimit = std::size_t{4} << 20;

// The bytes of `path`; nothing when it cannot be read or holds more than `limit` bytes.
// Files that report a size of 0 (most of /proc and /sys) are read to their end all the same.
std::optional<std::string> ReadSystemFile(const std::filesystem::path& path,
                                          std::size_t limit = kSystemFileLimit);

// The first line of `path` with blanks, tabs and line ends around it removed; empty when the
// file cannot be read.
std::string ReadSystemValue(const std::filesystem::path& path);

// The names in `folder`, sorted, at most the first 4096 the system lists.
std::vector<std::string> ListFolder(const std::filesystem::path& folder);

// Whether `name` is `prefix` followed by one or more digits only ("cpu12", "index3").
bool IsNumbered(std::string_view name, std::string_view prefix);

// The entries of `folder` whose names are numbered with `prefix`, sorted by name.
std::vector<std::filesystem::path> NumberedFolders(const std::filesystem::path& folder,
                                                   std::string_view prefix);

// `path` with every link resolved; empty when it does not exist.
std::filesystem::path Resolved(const std::filesystem::path& path);

// Whether anything exists at `path` (a failure to look counts as nothing).
bool Exists(const std::filesystem::path& path);

}  // namespace quorvane

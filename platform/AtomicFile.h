// Replacing a file's contents as a whole: the bytes go to a new file in the same folder, which
// is then renamed over the target, so the target holds either its old or its new contents and
// never a half-written file. Nothing is left behind when the write fails.
#pragma once

#include <filesystem>
#include <string_view>

namespace quorvane {

// Writes `bytes` as the new contents of `path` (created if it does not exist; an existing file
// keeps its permission bits). False when the file could not be created or written.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes);

}  // namespace quorvane

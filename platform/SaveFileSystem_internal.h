// What the two halves of SaveFile.h give each other: the steps that are the same on every system
// (SaveFile.cpp) and the system's own (SaveFile_posix.cpp, SaveFile_windows.cpp). Included by
// those sources only; nothing here is for the rest of the program.
#pragma once

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace quorvane::save_file {

// How SaveFileContents goes, with its steps open to the tests that watch them.
struct SaveSteps {
  // Linux: new and replacing files are written without a name (O_TMPFILE) where the filesystem
  // has such files, and named only when complete; false: always through a named temporary file.
  bool unnamed = true;
  // Runs when the contents are written and flushed, before the new file gets a name.
  std::function<void()> beforeNaming;
};

// The system's half.
// SaveFileContents with the steps `steps`.
std::error_code SaveFileContentsWith(const std::filesystem::path& path, std::string_view bytes,
                                     const SaveSteps& steps);
// The name under which `path` is registered for removal on a signal (SignalCleanup.h).
std::string RegisteredName(const std::filesystem::path& path);
// Removes the file named `path`; false when it could not.
bool RemoveNamedFile(const std::filesystem::path& path);

// The shared half.
// The folder a file named `path` lies in ("." for a bare name).
std::filesystem::path FolderOf(const std::filesystem::path& path);

// Names for the temporary file of a save: ".qv" and six random letters or digits in `folder`.
class TemporaryNames {
 public:
  static constexpr int kAttempts = 100;  // names tried before giving up
  std::filesystem::path Next(const std::filesystem::path& folder);

 private:
  std::random_device random_;
};

// Removes a temporary file and withdraws it from the registry.
void RemoveTemporary(const std::filesystem::path& temporary);

// The last step of a save through a temporary file that has been written, flushed and closed;
// `failure` is the first thing that went wrong so far. When nothing did, `moveIntoPlace` gives the
// file the target's name (withdrawn from the registry in the same step, so that no handler can
// remove it under the new name) and returns its failure. Whatever failed, the temporary file is
// removed. Returns the first failure, or nothing when the file is in place.
std::error_code MoveIntoPlaceOrRemove(const std::filesystem::path& temporary,
                                      std::error_code failure,
                                      const std::function<std::error_code()>& moveIntoPlace);

}  // namespace quorvane::save_file

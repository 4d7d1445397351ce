// The steps of SaveFile.h that are the same on every system: the temporary file's folder and
// name, and its last step, moved into place or removed.
#include "platform/SaveFile.h"

#include "platform/SaveFileSystem_internal.h"
#include "platform/SignalCleanup.h"

namespace quorvane::save_file {

namespace fs = std::filesystem;

fs::path FolderOf(const fs::path& path) {
  const fs::path folder = path.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

fs::path TemporaryNames::Next(const fs::path& folder) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kLetters) - 2);
  std::string name = ".qv";
  for (int k = 0; k < 6; ++k) name += kLetters[pick(random_)];
  return folder / name;
}

void RemoveTemporary(const fs::path& temporary) {
  ReleaseRemovedOnSignal(RegisteredName(temporary).c_str(),
                         [&] { return RemoveNamedFile(temporary); });
}

std::error_code MoveIntoPlaceOrRemove(const fs::path& temporary, std::error_code failure,
                                      const std::function<std::error_code()>& moveIntoPlace) {
  if (!failure) {
    const bool moved = ReleaseRemovedOnSignal(RegisteredName(temporary).c_str(), [&] {
      failure = moveIntoPlace();
      return !failure;
    });
    if (moved) return {};
  }
  RemoveTemporary(temporary);
  return failure;
}

}  // namespace quorvane::save_file

namespace quorvane {

std::error_code SaveFileContents(const std::filesystem::path& path, std::string_view bytes) {
  return save_file::SaveFileContentsWith(path, bytes, {});
}

}  // namespace quorvane

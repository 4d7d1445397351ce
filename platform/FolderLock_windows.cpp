#include "platform/FolderLock.h"

// Windows locks byte ranges of files, not folders: nothing is locked here. A running pass keeps
// a second test out because its file is opened without sharing (UnbufferedFile_windows.cpp).

namespace quorvane {

FolderLock::FolderLock(const std::filesystem::path&) {}

FolderLock::~FolderLock() = default;

}  // namespace quorvane

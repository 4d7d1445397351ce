#include "platform/DriveMap.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include "platform/WideText_internal.h"

namespace quorvane {

std::vector<DriveMapping> MapSystemDrives() {
  std::vector<DriveMapping> drives;
  const DWORD present = GetLogicalDrives();
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    if ((present & (DWORD{1} << (letter - 'A'))) == 0) continue;
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    if (GetDriveTypeW(root) != DRIVE_FIXED) continue;
    wchar_t fsName[MAX_PATH + 1] = {};
    DWORD flags = 0;
    const bool known = GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, fsName,
                                             MAX_PATH + 1) != 0;
    DriveMapping drive;
    drive.letter = letter;
    drive.mountPoint = std::string{letter, ':', '\\'};
    drive.fsType = known ? Utf8FromWide(fsName) : std::string();
    drive.device = std::string{letter, ':'};
    drive.available = !known || (flags & FILE_READ_ONLY_VOLUME) == 0;
    drives.push_back(drive);
  }
  return drives;
}

std::filesystem::path DriveFolder(const DriveMapping& drive) {
  // "X:" alone names the current directory that the system keeps for drive X (the root folder
  // when none was set).
  const wchar_t relative[] = {static_cast<wchar_t>(drive.letter), L':', L'\0'};
  std::wstring full(32768, L'\0');
  const DWORD length =
      GetFullPathNameW(relative, static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return drive.mountPoint;
  full.resize(length);
  if (full.size() > 3 && full.back() == L'\\') full.pop_back();  // the root keeps its separator
  return std::filesystem::path(full);
}

}  // namespace quorvane

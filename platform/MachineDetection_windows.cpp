#include "platform/MachineDetection.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include <string>

#include "platform/SystemText.h"
#include "platform/WideText_internal.h"

// Windows reports about the machine through its registry and its calls, not through files:
// `root` names a file tree only on systems that have one, and is not read here. What the system
// does not state (cache, memory type and speed, bus clock, each drive's disk) stays empty.

namespace quorvane {

namespace {

std::string RegistryText(const wchar_t* key, const wchar_t* name) {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      bytes < sizeof(wchar_t)) {
    return {};
  }
  std::wstring value(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  value.resize(value.find(L'\0') == std::wstring::npos ? value.size() : value.find(L'\0'));
  return CleanSystemText(Utf8FromWide(value));
}

bool RegistryNumber(const wchar_t* key, const wchar_t* name, DWORD& number) {
  DWORD bytes = sizeof number;
  return RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_DWORD, nullptr, &number, &bytes) ==
         ERROR_SUCCESS;
}

constexpr const wchar_t* kProcessorKey = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr const wchar_t* kFirmwareKey = L"HARDWARE\\DESCRIPTION\\System\\BIOS";

// A firmware field as the description takes it: empty when the maker left a placeholder.
std::string FirmwareText(const wchar_t* name) {
  std::string text = RegistryText(kFirmwareKey, name);
  return IsPlaceholderText(text) ? std::string() : text;
}

std::string ProcessorPackages() {
  DWORD bytes = 0;
  GetLogicalProcessorInformation(nullptr, &bytes);
  if (bytes == 0) return {};
  std::string buffer(bytes, '\0');
  auto* entries = reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION*>(buffer.data());
  if (!GetLogicalProcessorInformation(entries, &bytes)) return {};
  unsigned packages = 0;
  for (std::size_t i = 0; i < bytes / sizeof *entries; ++i) {
    if (entries[i].Relationship == RelationProcessorPackage) ++packages;
  }
  return packages == 0 ? std::string() : std::to_string(packages);
}

std::string InstalledMemory() {
  ULONGLONG kibibytes = 0;
  if (GetPhysicallyInstalledSystemMemory(&kibibytes) && kibibytes > 0)
    return MemorySizeText(kibibytes);
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return {};
  return MemorySizeText(status.ullTotalPhys / 1024);
}

// The version the system really runs: GetVersionEx reports what the program's manifest claims.
std::string WindowsVersion() {
  using RtlGetVersionRoutine = LONG(WINAPI*)(OSVERSIONINFOW*);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return {};
  const auto routine = reinterpret_cast<RtlGetVersionRoutine>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (routine == nullptr || routine(&version) != 0) return {};
  return "Windows " + std::to_string(version.dwMajorVersion) + "." +
         std::to_string(version.dwMinorVersion) + " build " + std::to_string(version.dwBuildNumber);
}

}  // namespace

DetectedMachine DetectMachine(const std::filesystem::path&,
                              const std::vector<DriveMapping>& drives) {
  DetectedMachine machine;
  machine.brand = FirmwareText(L"SystemManufacturer");
  machine.model = FirmwareText(L"SystemProductName");
  machine.motherboard =
      JoinMakerAndName(FirmwareText(L"BaseBoardManufacturer"), FirmwareText(L"BaseBoardProduct"));
  machine.cpu = RegistryText(kProcessorKey, L"ProcessorNameString");
  DWORD megahertz = 0;
  if (RegistryNumber(kProcessorKey, L"~MHz", megahertz) && megahertz > 0) {
    machine.internalClock = std::to_string(megahertz) + " MHz";
  }
  machine.ramSize = InstalledMemory();
  machine.os = WindowsVersion();
  machine.cpuCount = ProcessorPackages();
  for (const DriveMapping& drive : drives)
    machine.drives.push_back(DetectedDrive{drive.letter, {}, {}, {}});
  return machine;
}

DetectedMachine DetectThisMachine() { return DetectMachine({}, MapSystemDrives()); }

}  // namespace quorvane

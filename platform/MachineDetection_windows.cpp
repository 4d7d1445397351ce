#include "platform/MachineDetection.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include <string>

// Windows reports about the machine through its registry and its calls, not through files:
// `root` names a file tree only on systems that have one, and is not read here. What the system
// does not state (cache, memory type and speed, bus clock, each drive's disk) stays empty.

namespace quorvane {

namespace {

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr,
                      nullptr);
  return text;
}

// Control characters become blanks; runs of blanks become one; none at either end.
std::string Clean(const std::string& raw) {
  std::string text;
  for (char c : raw) {
    const char shown = static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? ' ' : c;
    if (shown == ' ' && (text.empty() || text.back() == ' ')) continue;
    text += shown;
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string RegistryText(const wchar_t* key, const wchar_t* name) {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS ||
      bytes < sizeof(wchar_t)) {
    return {};
  }
  std::wstring value(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  value.resize(value.find(L'\0') == std::wstring::npos ? value.size() : value.find(L'\0'));
  return Clean(Utf8(value));
}

bool RegistryNumber(const wchar_t* key, const wchar_t* name, DWORD& number) {
  DWORD bytes = sizeof number;
  return RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_DWORD, nullptr, &number, &bytes) ==
         ERROR_SUCCESS;
}

constexpr const wchar_t* kProcessorKey = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr const wchar_t* kFirmwareKey = L"HARDWARE\\DESCRIPTION\\System\\BIOS";

std::string JoinedWithBlank(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + " " + b;
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
  if (GetPhysicallyInstalledSystemMemory(&kibibytes) && kibibytes > 0) return MemorySizeText(kibibytes);
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
  const auto routine =
      reinterpret_cast<RtlGetVersionRoutine>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (routine == nullptr || routine(&version) != 0) return {};
  return "Windows " + std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) +
         " build " + std::to_string(version.dwBuildNumber);
}

}  // namespace

DetectedMachine DetectMachine(const std::filesystem::path&, const std::vector<DriveMapping>& drives) {
  DetectedMachine machine;
  machine.brand = RegistryText(kFirmwareKey, L"SystemManufacturer");
  machine.model = RegistryText(kFirmwareKey, L"SystemProductName");
  machine.motherboard = JoinedWithBlank(RegistryText(kFirmwareKey, L"BaseBoardManufacturer"),
                                        RegistryText(kFirmwareKey, L"BaseBoardProduct"));
  machine.cpu = RegistryText(kProcessorKey, L"ProcessorNameString");
  DWORD megahertz = 0;
  if (RegistryNumber(kProcessorKey, L"~MHz", megahertz) && megahertz > 0) {
    machine.internalClock = std::to_string(megahertz) + " MHz";
  }
  machine.ramSize = InstalledMemory();
  machine.os = WindowsVersion();
  machine.cpuCount = ProcessorPackages();
  for (const DriveMapping& drive : drives) machine.drives.push_back(DetectedDrive{drive.letter, {}, {}, {}});
  return machine;
}

DetectedMachine DetectThisMachine() { return DetectMachine({}, MapSystemDrives()); }

}  // namespace quorvane

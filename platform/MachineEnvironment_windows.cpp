#include "platform/MachineEnvironment.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>

#include <string>

// Windows keeps no file tree of its state: `root` is not read here. The processors' time comes
// from GetSystemTimes and GetProcessTimes, the cores from GetLogicalProcessorInformation. The
// power plan is not read: the governor stays unknown.

namespace quorvane {

namespace {

double Seconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<double>(value.QuadPart) / 1e7;  // 100-nanosecond units
}

TriState SharedCores() {
  DWORD bytes = 0;
  GetLogicalProcessorInformation(nullptr, &bytes);
  if (bytes == 0) return TriState::Unknown;
  std::string buffer(bytes, '\0');
  auto* entries = reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION*>(buffer.data());
  if (!GetLogicalProcessorInformation(entries, &bytes)) return TriState::Unknown;
  bool cores = false;
  for (std::size_t i = 0; i < bytes / sizeof *entries; ++i) {
    if (entries[i].Relationship != RelationProcessorCore) continue;
    if (entries[i].ProcessorCore.Flags == LTP_PC_SMT) return TriState::Yes;
    cores = true;
  }
  return cores ? TriState::No : TriState::Unknown;
}

}  // namespace

std::optional<ProcessorTimes> ReadProcessorTimes(const std::filesystem::path&) {
  FILETIME idle, kernel, user;
  if (!GetSystemTimes(&idle, &kernel, &user)) return std::nullopt;
  const double total = Seconds(kernel) + Seconds(user);  // kernel time includes idle time
  return ProcessorTimes{total, total - Seconds(idle)};
}

double OwnProcessorSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  return Seconds(kernel) + Seconds(user);
}

// MinGW-w64's runtime over the system's C runtime (MSVCRT or UCRT); the mathematical functions
// come from MinGW-w64's own library.
std::string CLibraryVersion() {
#if defined(__MINGW64_VERSION_STR)
#if defined(_UCRT)
  return "MinGW-w64 " __MINGW64_VERSION_STR " (UCRT)";
#else
  return "MinGW-w64 " __MINGW64_VERSION_STR " (MSVCRT)";
#endif
#else
  return kUnknown;
#endif
}

std::string MathLibraryVersion() {
#if defined(__MINGW64_VERSION_STR)
  return CLibraryVersion() + " (mathematical functions of MinGW-w64)";
#else
  return kUnknown;
#endif
}

void ReadSystemEnvironment(const std::filesystem::path&, MachineEnvironment& environment) {
  environment.sharedCores = SharedCores();
}

}  // namespace quorvane

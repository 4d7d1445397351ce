#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <vector>

#if defined(__GLIBC__)
#include <gnu/libc-version.h>
#endif

#include "platform/MachineEnvironment.h"
#include "platform/SystemFiles.h"

namespace quorvane {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxProcessors = 4096;  // processor folders looked at, at most

// The numbered processor folders cpu0, cpu1 ... below `root`'s processor folder, by number.
std::vector<fs::path> ProcessorFolders(const fs::path& root) {
  std::vector<std::pair<unsigned long, fs::path>> found;
  std::error_code error;
  const fs::path folder = root / "sys/devices/system/cpu";
  for (fs::directory_iterator it(folder, error);
       !error && it != fs::directory_iterator() && found.size() < kMaxProcessors;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.size() > 3 && name.compare(0, 3, "cpu") == 0 &&
        std::all_of(name.begin() + 3, name.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
      found.emplace_back(std::strtoul(name.c_str() + 3, nullptr, 10), it->path());
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<fs::path> folders;
  for (auto& entry : found) folders.push_back(std::move(entry.second));
  return folders;
}

// A value fit to show: printable characters only, or nothing.
std::string Printable(const std::string& text) {
  const bool printable = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isprint(static_cast<unsigned char>(c)) != 0;
  });
  return printable ? text : std::string();
}

std::string Governors(const fs::path& root) {
  std::vector<std::string> governors;
  for (const fs::path& folder : ProcessorFolders(root)) {
    const std::string governor = Printable(ReadSystemValue(folder / "cpufreq/scaling_governor"));
    if (!governor.empty() &&
        std::find(governors.begin(), governors.end(), governor) == governors.end()) {
      governors.push_back(governor);
    }
  }
  std::string joined;
  for (const std::string& governor : governors) joined += (joined.empty() ? "" : ", ") + governor;
  return joined.empty() ? kUnknown : joined;
}

// The words after "flags :" in the processor's information, if it has such a line.
std::optional<std::string> ProcessorFlags(const fs::path& root) {
  const std::optional<std::string> cpuinfo = ReadSystemFile(root / "proc/cpuinfo");
  if (!cpuinfo) return std::nullopt;
  std::istringstream lines(*cpuinfo);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t mark = line.find(':');
    if (mark == std::string::npos || line.compare(0, 5, "flags") != 0) continue;
    if (line.find_first_not_of(" \t", 5) != mark) continue;
    // Appended, not joined with +: GCC 12 takes `" " + temporary` for an overlapping copy.
    std::string flags = " ";
    flags.append(line, mark + 1);
    return flags + ' ';
  }
  return std::nullopt;
}

// The processor's hypervisor flag or the hypervisor's own folder, where the firmware named none.
void ReadHypervisor(const fs::path& root, MachineEnvironment& environment) {
  if (environment.virtualMachine == TriState::Yes) return;
  const std::optional<std::string> flags = ProcessorFlags(root);
  std::string evidence;
  if (flags && flags->find(" hypervisor ") != std::string::npos) evidence = "hypervisor flag";
  if (evidence.empty()) evidence = Printable(ReadSystemValue(root / "sys/hypervisor/type"));
  if (!evidence.empty()) {
    environment.virtualMachine = TriState::Yes;
    environment.virtualEvidence = evidence;
  } else if (flags) {
    environment.virtualMachine = TriState::No;
  }
}

TriState SharedCores(const fs::path& root) {
  const std::string active = ReadSystemValue(root / "sys/devices/system/cpu/smt/active");
  if (active == "1") return TriState::Yes;
  if (active == "0") return TriState::No;
  bool read = false;
  for (const fs::path& folder : ProcessorFolders(root)) {
    const std::string siblings = ReadSystemValue(folder / "topology/thread_siblings_list");
    if (siblings.empty() || siblings.find_first_not_of("0123456789,-") != std::string::npos)
      continue;
    if (siblings.find_first_of(",-") != std::string::npos) return TriState::Yes;
    read = true;
  }
  return read ? TriState::No : TriState::Unknown;
}

}  // namespace

std::optional<ProcessorTimes> ReadProcessorTimes(const std::filesystem::path& root) {
  const std::string line = ReadSystemValue(root / "proc/stat");
  if (line.compare(0, 4, "cpu ") != 0) return std::nullopt;
  // user nice system idle iowait irq softirq steal (guest time is already in user and nice).
  std::istringstream fields(line.substr(4));
  unsigned long long ticks[8] = {};
  int count = 0;
  while (count < 8 && fields >> ticks[count]) ++count;
  if (count < 4) return std::nullopt;
  const long perSecond = sysconf(_SC_CLK_TCK);
  if (perSecond <= 0) return std::nullopt;
  double total = 0;
  for (unsigned long long value : ticks) total += static_cast<double>(value);
  const double idle = static_cast<double>(ticks[3]) + static_cast<double>(ticks[4]);
  return ProcessorTimes{total / static_cast<double>(perSecond),
                        (total - idle) / static_cast<double>(perSecond)};
}

double OwnProcessorSeconds() {
  timespec used{};
  if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used) != 0) return 0;
  return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

std::string CLibraryVersion() {
#if defined(__GLIBC__)
  return std::string("glibc ") + gnu_get_libc_version();
#else
  return kUnknown;
#endif
}

std::string MathLibraryVersion() {
#if defined(__GLIBC__)
  return CLibraryVersion() + " (libm is part of glibc)";
#else
  return kUnknown;
#endif
}

void ReadSystemEnvironment(const std::filesystem::path& root, MachineEnvironment& environment) {
  environment.governor = Governors(root);
  ReadHypervisor(root, environment);
  environment.sharedCores = SharedCores(root);
}

}  // namespace quorvane

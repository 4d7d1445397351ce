// The machine detection of Linux: identification, processor, memory and system from the files
// below a root folder (/sys, /proc, /etc), the firmware's tables and the block devices from the
// units of their own.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "platform/BlockDevices_internal.h"
#include "platform/FirmwareTables_internal.h"
#include "platform/MachineDetection.h"
#include "platform/SystemFiles.h"
#include "platform/SystemText.h"

namespace quorvane {

namespace {

namespace fs = std::filesystem;

// ---- text ---------------------------------------------------------------------------------

std::string Number(std::uint64_t value) { return std::to_string(value); }

// "key : value" lines of /proc/cpuinfo, in file order, keys without their blanks.
using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs KeyValueLines(const std::string& text, char separator) {
  Pairs pairs;
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t end = std::min(text.find('\n', begin), text.size());
    const std::string line = text.substr(begin, end - begin);
    begin = end + 1;
    const std::size_t mark = line.find(separator);
    if (mark == std::string::npos) continue;
    const std::string key = CleanSystemText(line.substr(0, mark));
    if (!key.empty()) pairs.emplace_back(key, line.substr(mark + 1));
  }
  return pairs;
}

// ---- identification -----------------------------------------------------------------------

std::string DmiValue(const fs::path& root, const char* name) {
  std::string text = CleanSystemText(ReadSystemValue(root / "sys/class/dmi/id" / name));
  return IsPlaceholderText(text) ? std::string() : text;
}

void ReadIdentification(const fs::path& root, DetectedMachine& machine) {
  machine.brand = DmiValue(root, "sys_vendor");
  machine.model = DmiValue(root, "product_name");
  // Some makers put the name people know in the version and a part number in the name.
  const std::string version = DmiValue(root, "product_version");
  if (LowerAscii(machine.brand) == "lenovo" && !version.empty()) machine.model = version;
  machine.motherboard =
      JoinMakerAndName(DmiValue(root, "board_vendor"), DmiValue(root, "board_name"));
}

// ---- processor ----------------------------------------------------------------------------

std::string FirstValue(const Pairs& pairs, std::initializer_list<std::string_view> keys) {
  for (std::string_view key : keys) {
    for (const auto& [name, value] : pairs) {
      if (name == key) {
        std::string text = CleanSystemText(value);
        if (!text.empty()) return text;
      }
    }
  }
  return {};
}

// The frequency in MHz that a model name states after "@", as in "... CPU @ 3.40GHz".
std::optional<std::uint64_t> NamedFrequency(const std::string& name) {
  const std::size_t at = name.rfind('@');
  if (at == std::string::npos) return std::nullopt;
  double value = 0;
  char unit[4] = {};
  if (std::sscanf(name.c_str() + at + 1, " %lf %3[GMHZghz]", &value, unit) != 2)
    return std::nullopt;
  const std::string u = LowerAscii(unit);
  const double mhz = u == "ghz" ? value * 1000 : u == "mhz" ? value : -1;
  if (!(mhz >= 1 && mhz <= 100000)) return std::nullopt;
  return static_cast<std::uint64_t>(std::llround(mhz));
}

std::string ReadInternalClock(const fs::path& root, const Pairs& cpuinfo, const std::string& cpu) {
  std::uint64_t highestKhz = 0;
  for (const fs::path& folder : NumberedFolders(root / "sys/devices/system/cpu", "cpu")) {
    const std::optional<std::uint64_t> khz =
        LeadingNumber(ReadSystemValue(folder / "cpufreq/cpuinfo_max_freq"));
    if (khz && *khz <= 100'000'000) highestKhz = std::max(highestKhz, *khz);
  }
  if (highestKhz >= 1000) return Number((highestKhz + 500) / 1000) + " MHz";
  if (const std::optional<std::uint64_t> named = NamedFrequency(cpu))
    return Number(*named) + " MHz";
  double highest = 0;
  for (const auto& [name, value] : cpuinfo) {
    double mhz = 0;
    if (name == "cpu MHz" && std::sscanf(value.c_str(), "%lf", &mhz) == 1 && mhz <= 100000) {
      highest = std::max(highest, mhz);
    }
  }
  return highest >= 1 ? Number(static_cast<std::uint64_t>(std::llround(highest))) + " MHz"
                      : std::string();
}

std::string ReadPackageCount(const fs::path& root, const Pairs& cpuinfo) {
  std::set<std::string> packages;
  for (const fs::path& folder : NumberedFolders(root / "sys/devices/system/cpu", "cpu")) {
    const std::string id = ReadSystemValue(folder / "topology/physical_package_id");
    const std::string_view digits = id.starts_with('-') ? std::string_view(id).substr(1) : id;
    std::size_t used = 0;
    if (LeadingNumber(digits, &used) && used == digits.size()) packages.insert(id);
  }
  if (packages.empty()) {
    for (const auto& [name, value] : cpuinfo) {
      if (name == "physical id" && LeadingNumber(value)) packages.insert(CleanSystemText(value));
    }
  }
  return packages.empty() ? std::string() : Number(packages.size());
}

// A size text in kibibytes, as caches are written: "KB" below a mebibyte or when not whole.
std::string CacheSizeText(std::uint64_t kib) {
  if (kib >= 1024 && kib % 1024 == 0) return Number(kib / 1024) + " MB";
  return Number(kib) + " KB";
}

// A size as sysfs writes it ("32768K", "8M"), in kibibytes.
std::optional<std::uint64_t> SizeKib(const std::string& text) {
  std::size_t used = 0;
  const std::optional<std::uint64_t> value = LeadingNumber(text, &used);
  if (!value || *value > (std::uint64_t{1} << 40)) return std::nullopt;
  while (used < text.size() && text[used] == ' ') ++used;
  const char unit = used < text.size()
                        ? static_cast<char>(std::toupper(static_cast<unsigned char>(text[used])))
                        : 'B';
  switch (unit) {
    case 'K':
      return *value;
    case 'M':
      return *value * 1024;
    case 'G':
      return *value * 1024 * 1024;
    default:
      return *value / 1024;
  }
}

void ReadCache(const fs::path& root, const Pairs& cpuinfo, DetectedMachine& machine) {
  // The highest data or unified level, added up over its instances (each shared by a set of
  // processors), so that a processor with two L3 caches of 32 MB has 64 MB.
  long level = 0;
  std::map<std::string, std::uint64_t> instances;  // shared processors -> size
  for (const fs::path& cpu : NumberedFolders(root / "sys/devices/system/cpu", "cpu")) {
    for (const fs::path& index : NumberedFolders(cpu / "cache", "index")) {
      if (ReadSystemValue(index / "type") == "Instruction") continue;
      const std::optional<std::uint64_t> thisLevel =
          LeadingNumber(ReadSystemValue(index / "level"));
      const std::optional<std::uint64_t> kib = SizeKib(ReadSystemValue(index / "size"));
      if (!thisLevel || *thisLevel == 0 || *thisLevel > 9 || !kib || *kib == 0) continue;
      if (static_cast<long>(*thisLevel) > level) {
        level = static_cast<long>(*thisLevel);
        instances.clear();
      }
      if (static_cast<long>(*thisLevel) < level) continue;
      std::string shared = ReadSystemValue(index / "shared_cpu_list");
      if (shared.empty()) shared = cpu.filename().string();
      instances[shared] = *kib;
    }
  }
  std::uint64_t total = 0;
  for (const auto& [shared, kib] : instances) total += kib;
  if (total > 0) {
    machine.cacheSize = CacheSizeText(total);
    machine.cacheType = 'L' + Number(static_cast<std::uint64_t>(level));
    return;
  }
  // Without the cache folders only the size that /proc/cpuinfo gives, of a level it leaves open.
  const std::string size = FirstValue(cpuinfo, {"cache size"});
  if (const std::optional<std::uint64_t> kib = SizeKib(size); kib && *kib > 0) {
    machine.cacheSize = CacheSizeText(*kib);
  }
}

void ReadProcessor(const fs::path& root, DetectedMachine& machine) {
  const std::optional<std::string> text = ReadSystemFile(root / "proc/cpuinfo");
  const Pairs cpuinfo = KeyValueLines(text.value_or(std::string()), ':');
  machine.cpu = FirstValue(cpuinfo, {"model name", "Processor", "cpu model", "cpu"});
  machine.cpuCount = ReadPackageCount(root, cpuinfo);
  machine.internalClock = ReadInternalClock(root, cpuinfo, machine.cpu);
  machine.externalClock = ReadExternalClock(root);
  ReadCache(root, cpuinfo, machine);
}

// ---- memory -------------------------------------------------------------------------------

void ReadMemory(const fs::path& root, DetectedMachine& machine) {
  const MemoryDevices devices = ReadMemoryDevices(root);
  machine.ramType = devices.type;
  if (devices.speed != 0) machine.ramSpeed = Number(devices.speed) + " MT/s";
  if (devices.totalKib > 0) {
    machine.ramSize = MemorySizeText(devices.totalKib);
    return;
  }
  const std::optional<std::string> meminfo = ReadSystemFile(root / "proc/meminfo");
  for (const auto& [name, value] : KeyValueLines(meminfo.value_or(std::string()), ':')) {
    if (name != "MemTotal") continue;
    std::size_t used = 0;
    const std::optional<std::uint64_t> kib = LeadingNumber(value, &used);
    if (kib && CleanSystemText(value.substr(used)) == "kB") machine.ramSize = MemorySizeText(*kib);
    return;
  }
}

// ---- operating system ---------------------------------------------------------------------

// The value of an os-release assignment: quotes removed, backslash escapes taken literally.
std::string OsReleaseValue(const std::string& raw) {
  std::string text = CleanSystemText(raw);
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
      text.back() == text.front()) {
    text = text.substr(1, text.size() - 2);
  }
  std::string value;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    value += text[i];
  }
  return CleanSystemText(value);
}

void ReadOperatingSystem(const fs::path& root, DetectedMachine& machine) {
  std::optional<std::string> release = ReadSystemFile(root / "etc/os-release", 65536);
  if (!release) release = ReadSystemFile(root / "usr/lib/os-release", 65536);
  std::string pretty, name;
  for (const auto& [key, value] : KeyValueLines(release.value_or(std::string()), '=')) {
    if (key == "PRETTY_NAME" && pretty.empty()) pretty = OsReleaseValue(value);
    if (key == "NAME" && name.empty()) name = OsReleaseValue(value);
  }
  if (pretty.empty()) pretty = name;
  const std::string kernel = CleanSystemText(ReadSystemValue(root / "proc/sys/kernel/osrelease"));
  std::string system = CleanSystemText(ReadSystemValue(root / "proc/sys/kernel/ostype"));
  if (system.empty()) system = "Linux";
  if (kernel.empty()) {
    machine.os = pretty;
  } else {
    machine.os = (pretty.empty() ? std::string() : pretty + ", ") + system + " " + kernel;
  }
}

}  // namespace

DetectedMachine DetectMachine(const std::filesystem::path& root,
                              const std::vector<DriveMapping>& drives) {
  DetectedMachine machine;
  ReadIdentification(root, machine);
  ReadProcessor(root, machine);
  ReadMemory(root, machine);
  ReadOperatingSystem(root, machine);
  for (const DriveMapping& drive : drives) machine.drives.push_back(DetectDrive(root, drive));
  return machine;
}

DetectedMachine DetectThisMachine() { return DetectMachine("/", MapSystemDrives()); }

}  // namespace quorvane

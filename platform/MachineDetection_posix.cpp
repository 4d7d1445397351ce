#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "platform/MachineDetection.h"
#include "platform/SystemFiles.h"

namespace quorvane {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxListing = 4096;  // entries looked at in one sysfs folder
constexpr int kMaxHops = 8;                // links and stacked devices followed, at most

// ---- text ---------------------------------------------------------------------------------

// The length of the valid UTF-8 sequence at the start of `text`, 0 when it is not one.
std::size_t Utf8Length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF)
    length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

// A system text made fit to show: control characters and runs of blanks become one blank, the
// ends are trimmed, and bytes that are not UTF-8 become '?'.
std::string CleanText(std::string_view raw) {
  std::string text;
  bool blank = false;
  for (std::size_t i = 0; i < raw.size();) {
    const std::size_t length = Utf8Length(raw.substr(i));
    const auto c = static_cast<unsigned char>(raw[i]);
    const bool control =
        length == 1 ? (c < 0x20 || c == 0x7F)
                    : length == 2 && c == 0xC2 && static_cast<unsigned char>(raw[i + 1]) < 0xA0;
    if (control || c == ' ') {
      blank = !text.empty();
    } else {
      if (blank) text += ' ';
      blank = false;
      text += length == 0 ? std::string_view("?") : raw.substr(i, length);
    }
    i += length == 0 ? 1 : length;
  }
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return Lower(text.substr(0, prefix.size())) == Lower(prefix);
}

// Texts that firmware makers leave in fields they did not fill in.
bool IsPlaceholder(const std::string& text) {
  static const std::set<std::string> placeholders = {"to be filled by o.e.m.",
                                                     "default string",
                                                     "system manufacturer",
                                                     "system product name",
                                                     "not specified",
                                                     "not applicable",
                                                     "none",
                                                     "oem",
                                                     "o.e.m.",
                                                     "unknown",
                                                     "n/a",
                                                     "na",
                                                     "type1productconfigid",
                                                     "0123456789",
                                                     "123456789",
                                                     "x.x",
                                                     "not available"};
  return placeholders.count(Lower(text)) > 0;
}

// "a b" from two parts, either of which may be empty; `b` alone when it already names `a`.
std::string Join(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  if (StartsWithNoCase(b, a)) return b;
  return a + " " + b;
}

// The leading decimal number of `text` (blanks before it allowed); nothing when there are no
// digits or it does not fit in 64 bits.
std::optional<std::uint64_t> LeadingNumber(std::string_view text, std::size_t* used = nullptr) {
  std::size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos || !std::isdigit(static_cast<unsigned char>(text[i]))) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    const auto digit = static_cast<std::uint64_t>(text[i] - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  if (used) *used = i;
  return value;
}

std::string Number(std::uint64_t value) { return std::to_string(value); }

// ---- files and folders --------------------------------------------------------------------

// The names in a folder, sorted; none when it cannot be listed.
std::vector<std::string> ListFolder(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  for (; !error && it != fs::directory_iterator() && names.size() < kMaxListing;
       it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Names of the form `prefix` followed by digits only ("cpu12", "index3").
bool IsNumbered(const std::string& name, std::string_view prefix) {
  return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
         std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::vector<fs::path> NumberedFolders(const fs::path& folder, std::string_view prefix) {
  std::vector<fs::path> found;
  for (const std::string& name : ListFolder(folder)) {
    if (IsNumbered(name, prefix)) found.push_back(folder / name);
  }
  return found;
}

// A path with every link resolved; empty when it does not exist.
fs::path Resolved(const fs::path& path) {
  std::error_code error;
  fs::path resolved = fs::canonical(path, error);
  return error ? fs::path() : resolved;
}

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

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
    const std::string key = CleanText(line.substr(0, mark));
    if (!key.empty()) pairs.emplace_back(key, line.substr(mark + 1));
  }
  return pairs;
}

// ---- firmware tables ----------------------------------------------------------------------

// The structures of one type from the firmware's system management tables, each as its raw
// bytes with the formatted part checked: type byte, and a length that is at least the header
// and within the bytes read.
std::vector<std::string> FirmwareStructures(const fs::path& root, int type) {
  std::vector<std::string> structures;
  const fs::path entries = root / "sys/firmware/dmi/entries";
  const std::string prefix = std::to_string(type) + "-";
  for (const std::string& name : ListFolder(entries)) {
    if (!IsNumbered(name, prefix)) continue;
    std::optional<std::string> raw = ReadSystemFile(entries / name / "raw", 65536);
    if (!raw || raw->size() < 4) continue;
    const auto length = static_cast<unsigned char>((*raw)[1]);
    if (static_cast<unsigned char>((*raw)[0]) != type || length < 4 || length > raw->size())
      continue;
    raw->resize(length);  // the strings after the formatted part are not used
    structures.push_back(std::move(*raw));
  }
  return structures;
}

// Little-endian fields of a structure; nothing when the structure is too short to hold them.
std::optional<std::uint32_t> Field(const std::string& structure, std::size_t offset,
                                   std::size_t size) {
  if (offset + size > structure.size()) return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) {
    value = value << 8 | static_cast<unsigned char>(structure[offset + i]);
  }
  return value;
}

// The memory type codes of memory device structures (type 17, offset 0x12).
std::string MemoryTypeName(std::uint32_t code) {
  static const std::map<std::uint32_t, std::string> names = {
      {0x03, "DRAM"},         {0x04, "EDRAM"},  {0x05, "VRAM"},   {0x06, "SRAM"}, {0x07, "RAM"},
      {0x0F, "SDRAM"},        {0x10, "SGRAM"},  {0x11, "RDRAM"},  {0x12, "DDR"},  {0x13, "DDR2"},
      {0x14, "DDR2 FB-DIMM"}, {0x18, "DDR3"},   {0x19, "FBD2"},   {0x1A, "DDR4"}, {0x1B, "LPDDR"},
      {0x1C, "LPDDR2"},       {0x1D, "LPDDR3"}, {0x1E, "LPDDR4"}, {0x20, "HBM"},  {0x21, "HBM2"},
      {0x22, "DDR5"},         {0x23, "LPDDR5"}, {0x24, "HBM3"}};
  const auto found = names.find(code);
  return found == names.end() ? std::string() : found->second;
}

struct MemoryDevices {
  std::uint64_t totalKib = 0;  // the installed modules together
  std::string type;            // of the first installed module
  std::uint32_t speed = 0;     // the slowest configured (else rated) speed in MT/s, 0 unknown
};

MemoryDevices ReadMemoryDevices(const fs::path& root) {
  MemoryDevices devices;
  for (const std::string& device : FirmwareStructures(root, 17)) {
    const std::optional<std::uint32_t> size = Field(device, 0x0C, 2);
    if (!size || *size == 0 || *size == 0xFFFF) continue;  // an empty slot, or unknown
    std::uint64_t kib = 0;
    if (*size == 0x7FFF) {
      const std::optional<std::uint32_t> extended = Field(device, 0x1C, 4);
      if (!extended) continue;
      kib = std::uint64_t{*extended & 0x7FFFFFFFu} * 1024;  // megabytes
    } else if (*size & 0x8000) {
      kib = *size & 0x7FFFu;  // kilobytes
    } else {
      kib = std::uint64_t{*size} * 1024;  // megabytes
    }
    devices.totalKib += kib;
    if (devices.type.empty()) {
      if (const auto code = Field(device, 0x12, 1)) devices.type = MemoryTypeName(*code);
    }
    // The configured speed where the table has it, else the rated one; 0xFFFF points to the
    // 32-bit field of the newer tables.
    std::uint32_t speed = 0;
    for (const auto& [offset, extendedOffset] : {std::pair{0x20, 0x58}, std::pair{0x15, 0x54}}) {
      std::optional<std::uint32_t> value = Field(device, static_cast<std::size_t>(offset), 2);
      if (value && *value == 0xFFFF)
        value = Field(device, static_cast<std::size_t>(extendedOffset), 4);
      if (value && *value != 0 && *value < 1000000) {
        speed = *value;
        break;
      }
    }
    if (speed != 0 && (devices.speed == 0 || speed < devices.speed)) devices.speed = speed;
  }
  return devices;
}

// The external clock of the first processor structure (type 4, offset 0x12) that states one.
std::string ReadExternalClock(const fs::path& root) {
  for (const std::string& processor : FirmwareStructures(root, 4)) {
    const std::optional<std::uint32_t> clock = Field(processor, 0x12, 2);
    if (clock && *clock != 0 && *clock != 0xFFFF) return Number(*clock) + " MHz";
  }
  return {};
}

// ---- identification -----------------------------------------------------------------------

std::string DmiValue(const fs::path& root, const char* name) {
  std::string text = CleanText(ReadSystemValue(root / "sys/class/dmi/id" / name));
  return IsPlaceholder(text) ? std::string() : text;
}

void ReadIdentification(const fs::path& root, DetectedMachine& machine) {
  machine.brand = DmiValue(root, "sys_vendor");
  machine.model = DmiValue(root, "product_name");
  // Some makers put the name people know in the version and a part number in the name.
  const std::string version = DmiValue(root, "product_version");
  if (Lower(machine.brand) == "lenovo" && !version.empty()) machine.model = version;
  machine.motherboard = Join(DmiValue(root, "board_vendor"), DmiValue(root, "board_name"));
}

// ---- processor ----------------------------------------------------------------------------

std::string FirstValue(const Pairs& pairs, std::initializer_list<std::string_view> keys) {
  for (std::string_view key : keys) {
    for (const auto& [name, value] : pairs) {
      if (name == key) {
        std::string text = CleanText(value);
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
  const std::string u = Lower(unit);
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
      if (name == "physical id" && LeadingNumber(value)) packages.insert(CleanText(value));
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
    machine.cacheType = "L" + Number(static_cast<std::uint64_t>(level));
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
    if (kib && CleanText(value.substr(used)) == "kB") machine.ramSize = MemorySizeText(*kib);
    return;
  }
}

// ---- operating system ---------------------------------------------------------------------

// The value of an os-release assignment: quotes removed, backslash escapes taken literally.
std::string OsReleaseValue(const std::string& raw) {
  std::string text = CleanText(raw);
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
      text.back() == text.front()) {
    text = text.substr(1, text.size() - 2);
  }
  std::string value;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    value += text[i];
  }
  return CleanText(value);
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
  const std::string kernel = CleanText(ReadSystemValue(root / "proc/sys/kernel/osrelease"));
  std::string system = CleanText(ReadSystemValue(root / "proc/sys/kernel/ostype"));
  if (system.empty()) system = "Linux";
  if (kernel.empty()) {
    machine.os = pretty;
  } else {
    machine.os = (pretty.empty() ? std::string() : pretty + ", ") + system + " " + kernel;
  }
}

// ---- drives -------------------------------------------------------------------------------

// `path` as seen from `root`: an absolute path is taken below it.
fs::path Below(const fs::path& root, const fs::path& path) {
  return path.is_absolute() ? root / path.relative_path() : root / path;
}

// The sysfs node of the block device numbered `device`, if sysfs knows it.
std::string BlockNameOfNumber(const fs::path& root, dev_t device) {
  const std::string number = Number(major(device)) + ":" + Number(minor(device));
  const fs::path node = Resolved(root / "sys/dev/block" / number);
  return node.empty() ? std::string() : node.filename().string();
}

// The kernel's name of the block device that a mount table's device names ("sda1", "dm-0"),
// following links such as /dev/mapper/x or /dev/disk/by-uuid/x within `root`; when the name is
// no block device (/dev/root, overlay), the device that holds the mount point.
std::string BlockName(const fs::path& root, const DriveMapping& drive) {
  const fs::path device(drive.device);
  if (device.is_absolute()) {
    fs::path path = Below(root, device);
    for (int hop = 0; hop < kMaxHops; ++hop) {
      std::error_code error;
      if (!fs::is_symlink(path, error)) break;
      const fs::path target = fs::read_symlink(path, error);
      if (error) break;
      path = (target.is_absolute() ? Below(root, target) : path.parent_path() / target)
                 .lexically_normal();
    }
    const std::string name = path.filename().string();
    if (!name.empty() && Exists(root / "sys/class/block" / name)) return name;
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISBLK(status.st_mode)) {
      if (std::string byNumber = BlockNameOfNumber(root, status.st_rdev); !byNumber.empty())
        return byNumber;
    }
  }
  struct stat status {};
  if (stat(Below(root, drive.mountPoint).c_str(), &status) == 0)
    return BlockNameOfNumber(root, status.st_dev);
  return {};
}

// The whole disk under a block device: a partition's disk, and for a stacked device (device
// mapper, software RAID) the disk of the first device it is built on.
fs::path DiskNode(const fs::path& root, const std::string& name) {
  fs::path node = Resolved(root / "sys/class/block" / name);
  for (int hop = 0; hop < kMaxHops && !node.empty(); ++hop) {
    if (Exists(node / "partition")) node = node.parent_path();
    const std::vector<std::string> below = ListFolder(node / "slaves");
    if (below.empty()) break;
    node = Resolved(root / "sys/class/block" / below.front());
  }
  return node;
}

bool HasComponent(const fs::path& path, auto&& test) {
  return std::any_of(path.begin(), path.end(),
                     [&](const fs::path& part) { return test(part.string()); });
}

// How a disk is attached, from the folders of the device path it lies in below /sys.
std::string ControllerOf(const fs::path& root, const fs::path& diskNode) {
  const fs::path node = diskNode.lexically_relative(Resolved(root));
  const auto starts = [](std::string_view prefix) {
    return
        [prefix](const std::string& part) { return part.compare(0, prefix.size(), prefix) == 0; };
  };
  if (HasComponent(node, starts("nvme"))) return "NVMe";
  if (HasComponent(node, starts("usb"))) return "USB";
  if (HasComponent(node, starts("mmc"))) return "MMC";
  if (HasComponent(node, [](const std::string& part) { return IsNumbered(part, "ata"); }))
    return "SATA";
  if (HasComponent(node, starts("virtio"))) return "virtio";
  if (HasComponent(node, starts("vbd-"))) return "Xen";
  if (HasComponent(node, [](const std::string& part) { return IsNumbered(part, "host"); }))
    return "SCSI";
  return {};
}

// The driver nearest to the disk that is not the generic SCSI disk or CD driver, which says
// little (the host adapter's driver, ahci or uas, says more); that generic one when it is all.
std::string DriverOf(const fs::path& root, const fs::path& device) {
  const fs::path devices = Resolved(root / "sys/devices");
  std::string generic;
  fs::path at = device;
  for (int hop = 0; hop < 4 * kMaxHops && !at.empty() && at != devices && at != at.root_path();
       ++hop) {
    std::error_code error;
    const fs::path driver = fs::read_symlink(at / "driver", error);
    if (!error) {
      const std::string name = driver.filename().string();
      if (name != "sd" && name != "sr") return CleanText(name);
      if (generic.empty()) generic = name;
    }
    at = at.parent_path();
  }
  return generic;
}

DetectedDrive DetectDrive(const fs::path& root, const DriveMapping& mapping) {
  DetectedDrive drive;
  drive.letter = mapping.letter;
  const std::string name = BlockName(root, mapping);
  if (name.empty()) return drive;
  const fs::path node = DiskNode(root, name);
  if (node.empty()) return drive;
  drive.controller = ControllerOf(root, node);
  const fs::path device = Resolved(node / "device");
  if (device.empty()) {
    // A device of the kernel's own (loop, zram, device mapper without disks): its kind.
    std::string kind = node.filename().string();
    while (!kind.empty() &&
           (std::isdigit(static_cast<unsigned char>(kind.back())) || kind.back() == '-'))
      kind.pop_back();
    drive.driver = CleanText(kind);
    return drive;
  }
  std::string model = CleanText(ReadSystemValue(device / "model"));
  if (model.empty()) model = CleanText(ReadSystemValue(device / "name"));  // memory cards
  std::string vendor = CleanText(ReadSystemValue(device / "vendor"));
  if (vendor == "ATA" || vendor.rfind("0x", 0) == 0 || IsPlaceholder(vendor)) vendor.clear();
  drive.harddisk = model.empty() ? std::string() : Join(vendor, model);
  drive.driver = DriverOf(root, device);
  return drive;
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

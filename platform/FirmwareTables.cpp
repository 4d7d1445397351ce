#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/FirmwareTables_internal.h"
#include "platform/SystemFiles.h"

namespace quorvane {

namespace {

namespace fs = std::filesystem;

// The structures of one type, each as its raw bytes with the formatted part checked: type byte,
// and a length that is at least the header and within the bytes read.
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

}  // namespace

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

std::string ReadExternalClock(const fs::path& root) {
  for (const std::string& processor : FirmwareStructures(root, 4)) {
    const std::optional<std::uint32_t> clock = Field(processor, 0x12, 2);
    if (clock && *clock != 0 && *clock != 0xFFFF) return std::to_string(*clock) + " MHz";
  }
  return {};
}

}  // namespace quorvane

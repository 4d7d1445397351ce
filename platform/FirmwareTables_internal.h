// The firmware's system management tables as the system publishes them below a root folder
// (sys/firmware/dmi/entries/<type>-<n>/raw): the memory devices and the processor's bus clock.
// For the machine detection of platform/ only. Never throws; whatever cannot be read or makes
// no sense is left out. Any thread may call these.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace quorvane {

struct MemoryDevices {
  std::uint64_t totalKib = 0;  // the installed modules together
  std::string type;            // of the first installed module, e.g. "DDR4"
  std::uint32_t speed = 0;     // the slowest configured (else rated) speed in MT/s, 0 unknown
};

// The memory device structures (type 17) below `root`.
MemoryDevices ReadMemoryDevices(const std::filesystem::path& root);

// The external clock of the first processor structure (type 4) that states one, e.g.
// "100 MHz"; empty when none does.
std::string ReadExternalClock(const std::filesystem::path& root);

}  // namespace quorvane

// What the system knows about this computer, for its description: the firmware's system and
// board identification, the processor, its largest cache, the memory, the operating system and
// each drive letter's disk. Only reads; never fails and never throws: whatever cannot be read or
// makes no sense is left empty. Texts are UTF-8 without control characters, not cut to any length.
// Any thread may call it, several at once; it blocks while it reads the system's small files and
// tables (a fraction of a second; no file that can make a reader wait is opened), starts no
// thread and holds nothing.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/DriveMap.h"

namespace quorvane {

struct DetectedDrive {
  char letter = 'C';       // 'C'..'Z'
  std::string harddisk;    // the disk's model
  std::string controller;  // how it is attached: NVMe, SATA, USB, virtio, SCSI, MMC ...
  std::string driver;      // the kernel driver that serves it
};

struct DetectedMachine {
  std::string brand;          // e.g. "Dell Inc."
  std::string model;          // e.g. "OptiPlex 7070"
  std::string motherboard;    // board maker and name
  std::string cpu;            // the processor's model name
  std::string internalClock;  // the highest rated frequency, e.g. "3400 MHz"
  std::string externalClock;  // the bus clock, only where the firmware states it, e.g. "100 MHz"
  std::string cacheSize;      // the largest cache level, all of its instances, e.g. "32 MB"
  std::string cacheType;      // that level, e.g. "L3"
  std::string ramSize;        // installed memory as people say it, e.g. "16 GB"
  std::string ramType;        // e.g. "DDR4"; only where the firmware's tables can be read
  std::string ramSpeed;       // e.g. "3200 MT/s"; likewise
  std::string os;  // distribution and kernel, e.g. "Debian GNU/Linux 12 (bookworm), Linux 6.1.0"
  std::string cpuCount;               // physical processor packages, as decimal text
  std::vector<DetectedDrive> drives;  // one per drive of the mapping, in its order
};

// Reads the system's files below `root` ("/" for this system; a fixture tree in tests) and
// describes `drives`, whose device and mount point names are taken as seen from `root`.
DetectedMachine DetectMachine(const std::filesystem::path& root,
                              const std::vector<DriveMapping>& drives);

// This computer with its own drives.
DetectedMachine DetectThisMachine();

// Where a front end takes its detected description from: DetectThisMachine, or in tests a
// detection below a fixture tree.
using MachineDetector = std::function<DetectedMachine()>;

// Installed memory as people say it: a memory size in kibibytes rounded up to the usual module
// total it falls short of by at most a tenth (15.5 GiB is "16 GB"), otherwise up to a whole GB
// (or MB below 1 GiB); "N TB" for whole tebibytes. Empty for 0 or an implausible size.
std::string MemorySizeText(unsigned long long kibibytes);

}  // namespace quorvane

// What may make this machine's scores low or unsteady, read just before a run: how much of the
// processors' time other programs take, the frequency governor, whether the machine is virtual,
// the processor model and whether hardware threads share cores. Only reads; never fails and
// never throws: what cannot be read is unknown ("unknown", TriState::Unknown). Changes nothing that
// a run measures. Any thread may call these; ReadMachineEnvironment blocks for its `measure` (a
// quarter of a second for this machine) while it watches the processors' time, so a front end calls
// it before a run, not inside a timed interval. The rest only read files or compute.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quorvane {

inline constexpr const char* kUnknown = "unknown";

// A yes-or-no fact about the machine that the system may not tell.
enum class TriState { Unknown, No, Yes };

// The word for a tri-state fact where one is shown or written (the JSON, the web page): "yes",
// "no" or "unknown".
const char* TriStateText(TriState fact);

struct MachineEnvironment {
  // Percent of all processors' time that other programs took during the measurement.
  std::optional<double> otherLoadPercent;
  std::string governor = kUnknown;  // every processor's governor, distinct ones joined by ", "
  TriState virtualMachine = TriState::Unknown;  // whether this machine is a virtual one
  std::string virtualEvidence;               // what showed it: "hypervisor flag", "xen", "QEMU" ...
  std::string processor = kUnknown;          // the processor's model name
  TriState sharedCores = TriState::Unknown;  // whether hardware threads share cores
};

// All processors' time and the part of it that was busy, in seconds, from the system's own
// accounting (below `root`, /proc/stat, where the system has such a file).
struct ProcessorTimes {
  double total = 0;
  double busy = 0;
};
std::optional<ProcessorTimes> ReadProcessorTimes(const std::filesystem::path& root);

// This process's own processor time (all its threads), in seconds.
double OwnProcessorSeconds();

// The share of the processors' time between two readings that was busy but not spent by this
// process, in percent (0..100); nothing when a reading is missing or no time passed.
std::optional<double> OtherLoadPercent(const std::optional<ProcessorTimes>& before,
                                       const std::optional<ProcessorTimes>& after,
                                       double ownSeconds);

// The vendor of a virtual machine named in a firmware text ("QEMU", "VMware" ...), or empty.
std::string VirtualMachineVendor(const std::string& firmwareText);

// What only the system itself tells (governor, signs of a hypervisor, cores), added to what the
// processors' time and the firmware's names already showed. One per system.
void ReadSystemEnvironment(const std::filesystem::path& root, MachineEnvironment& environment);

// Reads the environment below `root` ("/" for this system; a fixture tree in tests), watching
// the processors' time for `measure`.
MachineEnvironment ReadMachineEnvironment(const std::filesystem::path& root,
                                          std::chrono::milliseconds measure);

// This machine, measured for a quarter of a second.
MachineEnvironment ReadThisEnvironment();

// The C library and the mathematical library this program runs with, with their versions.
std::string CLibraryVersion();
std::string MathLibraryVersion();

// Where a front end takes the environment from: ReadThisEnvironment, or a stand-in in tests.
using EnvironmentReader = std::function<MachineEnvironment()>;

}  // namespace quorvane

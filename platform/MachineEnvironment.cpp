#include "platform/MachineEnvironment.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <thread>

#include "platform/MachineDetection.h"

namespace quorvane {

std::optional<double> OtherLoadPercent(const std::optional<ProcessorTimes>& before,
                                       const std::optional<ProcessorTimes>& after,
                                       double ownSeconds) {
  if (!before || !after) return std::nullopt;
  const double total = after->total - before->total;
  if (!(total > 0)) return std::nullopt;
  const double others = (after->busy - before->busy) - ownSeconds;
  return std::clamp(others / total * 100.0, 0.0, 100.0);
}

std::string VirtualMachineVendor(const std::string& firmwareText) {
  static constexpr std::array<std::string_view, 12> kVendors = {"QEMU",
                                                                "KVM",
                                                                "VMware",
                                                                "VirtualBox",
                                                                "innotek",
                                                                "Xen",
                                                                "Bochs",
                                                                "Parallels",
                                                                "BHYVE",
                                                                "Amazon EC2",
                                                                "Google Compute Engine",
                                                                "Virtual Machine"};
  std::string lower = firmwareText;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (std::string_view vendor : kVendors) {
    std::string wanted(vendor);
    for (char& c : wanted) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.find(wanted) != std::string::npos) return std::string(vendor);
  }
  return {};
}

MachineEnvironment ReadMachineEnvironment(const std::filesystem::path& root,
                                          std::chrono::milliseconds measure) {
  MachineEnvironment environment;
  const std::optional<ProcessorTimes> before = ReadProcessorTimes(root);
  const double ownBefore = OwnProcessorSeconds();
  std::this_thread::sleep_for(measure);
  const std::optional<ProcessorTimes> after = ReadProcessorTimes(root);
  environment.otherLoadPercent = OtherLoadPercent(before, after, OwnProcessorSeconds() - ownBefore);

  const DetectedMachine firmware = DetectMachine(root, {});
  if (!firmware.cpu.empty()) environment.processor = firmware.cpu;
  for (const std::string* text : {&firmware.brand, &firmware.model, &firmware.motherboard}) {
    if (environment.virtualEvidence.empty())
      environment.virtualEvidence = VirtualMachineVendor(*text);
  }
  if (!environment.virtualEvidence.empty()) {
    environment.virtualMachine = TriState::Yes;
  } else if (!firmware.brand.empty()) {
    environment.virtualMachine = TriState::No;  // a maker's name that is not a hypervisor's
  }
  ReadSystemEnvironment(root, environment);
  return environment;
}

MachineEnvironment ReadThisEnvironment() {
  return ReadMachineEnvironment("/", std::chrono::milliseconds(250));
}

const char* TriStateText(TriState fact) {
  return fact == TriState::Yes ? "yes" : fact == TriState::No ? "no" : kUnknown;
}

}  // namespace quorvane

#include "engine/EnvironmentWarnings.h"

#include <algorithm>
#include <cstdio>

namespace quorvane {

namespace {

// True when one of the governors in "a, b, c" is `name`.
bool HasGovernor(const std::string& governors, const std::string& name) {
  std::size_t begin = 0;
  while (begin <= governors.size()) {
    const std::size_t end = std::min(governors.find(", ", begin), governors.size());
    if (governors.compare(begin, end - begin, name) == 0) return true;
    begin = end + 2;
  }
  return false;
}

}  // namespace

std::vector<std::string> EnvironmentWarnings(const MachineEnvironment& environment) {
  std::vector<std::string> warnings;
  if (environment.otherLoadPercent && *environment.otherLoadPercent > kOtherLoadWarningPercent) {
    char line[160];
    std::snprintf(
        line, sizeof line,
        "Other programs are taking %.1f %% of the processors' time: scores will be low and vary.",
        *environment.otherLoadPercent);
    warnings.emplace_back(line);
  }
  if (HasGovernor(environment.governor, "powersave")) {
    warnings.emplace_back(
        "The processors' frequency governor is \"powersave\": scores will be low and vary.");
  }
  return warnings;
}

}  // namespace quorvane

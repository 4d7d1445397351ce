// The warnings a front end shows before a run when the machine's state will make the scores low
// and unsteady: other programs taking more than a tenth of the processors' time, or a frequency
// governor that saves power. Makes text only; reads and changes nothing else.
#pragma once

#include <string>
#include <vector>

#include "platform/MachineEnvironment.h"

namespace quorvane {

// Other programs' share of the processors' time above which a run is warned about, in percent.
inline constexpr double kOtherLoadWarningPercent = 10.0;

// One line per warning, in a fixed order; none when nothing is wrong or nothing could be read.
std::vector<std::string> EnvironmentWarnings(const MachineEnvironment& environment);

}  // namespace quorvane

// An identity of this computer that stays the same across runs and programs, for telling the
// runs of one machine from another's in a history: derived from the system's own machine id
// (Linux: /etc/machine-id; Windows: the installation's MachineGuid) with a key of this program,
// so that the system's id itself can never be read back from it. Any thread may call it; it
// reads a file or the registry each time and waits for nothing else.
#pragma once

#include <string>

namespace quorvane {

// 32 lower-case hexadecimal digits; empty when the system has no machine id to derive it from.
std::string ThisMachineIdentity();

}  // namespace quorvane

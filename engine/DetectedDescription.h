// Puts what the system detected about this computer into its description tables: the 13 texts
// besides the thread count, and the record of every drive for which something was found.
// Writes only the tables it is given; detects nothing itself.
#pragma once

#include "engine/ResultStore.h"
#include "platform/MachineDetection.h"

namespace quorvane {

// Every machine text is replaced (a field the system says nothing about becomes empty);
// `threads` is left alone. A drive record is written, and so described, only when the system
// named its disk, controller or driver; the others keep what they held. Texts are converted to
// the store's Windows-1252 (a character it has no byte for becomes '?', a line break a space)
// and cut at 63 characters.
void ApplyDetectedDescription(const DetectedMachine& detected, MachineDescription& machine,
                              DriveTable& drives);

}  // namespace quorvane

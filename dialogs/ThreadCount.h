// Reading the "# of threads to run" entry as a whole number, and the range a run accepts.
// Pure text handling: no widgets, no store, no messages to the user.
#pragma once

#include <QStringView>
#include <cstdint>
#include <optional>

#include "engine/Workers.h"

namespace quorvane {

// An optional sign and decimal digits, with nothing but blanks or tabs around them. Empty text,
// trailing characters, or a text that reads as 0 without starting with the digit 0 are not a
// number. Numbers beyond the signed 32-bit range read as its nearest end.
std::optional<std::int32_t> ReadWholeNumber(QStringView text);

inline bool IsThreadCountInRange(std::int32_t count) {
  return count >= kMinThreads && count <= kMaxThreads;
}

}  // namespace quorvane

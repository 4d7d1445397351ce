#include "dialogs/ThreadCount.h"

#include <limits>

namespace quorvane {

namespace {
bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }
}  // namespace

std::optional<std::int32_t> ReadWholeNumber(QStringView text) {
  qsizetype i = 0;
  const qsizetype size = text.size();
  while (i < size && IsBlank(text[i])) ++i;
  const bool startsWithZero = i < size && text[i] == u'0';

  bool negative = false;
  if (i < size && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  // Accumulate as a negative number so that the lowest value fits, then saturate.
  constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();
  std::int64_t magnitude = 0;
  bool sawDigit = false;
  while (i < size && IsDigit(text[i])) {
    sawDigit = true;
    if (magnitude <= -kLowest) magnitude = magnitude * 10 + (text[i].unicode() - u'0');
    ++i;
  }
  while (i < size && IsBlank(text[i])) ++i;
  if (i != size) return std::nullopt;

  std::int64_t value = negative ? -magnitude : magnitude;
  if (value < kLowest) value = kLowest;
  if (value > kHighest) value = kHighest;
  if (!sawDigit || (value == 0 && !startsWithZero)) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace quorvane

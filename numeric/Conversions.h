// Conversions of doubles to integers that never have undefined behaviour: NaN, infinities and
// values outside the 64-bit range give the most negative 64-bit integer (as the processor's own
// truncating conversion does), and the 32-bit forms keep the low 32 bits.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace quorvane {

// Truncates toward zero to a signed 64-bit integer; INT64_MIN when it does not fit.
inline std::int64_t TruncToInt64(double d) {
  // 2^63 is exactly representable; every double below it in magnitude (and -2^63) fits.
  constexpr double kLimit = 9223372036854775808.0;
  if (!(d >= -kLimit && d < kLimit)) {  // also false for NaN
    return std::numeric_limits<std::int64_t>::min();
  }
  return static_cast<std::int64_t>(d);
}

// The low 32 bits of a 64-bit integer, read as unsigned.
inline std::uint32_t Low32(std::int64_t value) { return static_cast<std::uint32_t>(value); }

// The low 32 bits of a 64-bit integer, read as signed (two's complement).
inline std::int32_t Low32Signed(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// trunc32: the low 32 bits of TruncToInt64(d), read as signed.
inline std::int32_t TruncToInt32Low(double d) { return Low32Signed(TruncToInt64(d)); }

}  // namespace quorvane

#include "platform/MachineDetection.h"

#include <cmath>
#include <string>

namespace quorvane {

std::string MemorySizeText(unsigned long long kibibytes) {
  if (kibibytes == 0 || kibibytes > (1ULL << 50)) return {};  // nothing, or beyond an exbibyte
  const bool large = kibibytes >= 1024ULL * 1024;
  const double amount = static_cast<double>(kibibytes) / (large ? 1024.0 * 1024.0 : 1024.0);
  // The usual totals are the powers of two and, from 3 on, one and a half of them: 1, 2, 3, 4,
  // 6, 8, 12, 16, 24, 32, 48 ...
  double usual = 1;
  for (double power = 1; usual < amount - 1e-9; power *= 2) {
    usual = power >= 2 && amount <= power * 1.5 + 1e-9 ? power * 1.5 : power * 2;
  }
  const double rounded = usual <= amount * 1.1 ? usual : std::ceil(amount - 1e-9);
  const auto whole = static_cast<unsigned long long>(rounded);
  if (!large) return std::to_string(whole) + " MB";
  if (whole >= 1024 && whole % 1024 == 0) return std::to_string(whole / 1024) + " TB";
  return std::to_string(whole) + " GB";
}

}  // namespace quorvane

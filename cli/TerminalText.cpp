#include "cli/TerminalText.h"

#include <cstdio>
#include <optional>

#include "engine/Windows1252.h"

namespace quorvane {

namespace {

std::string Escaped(const char* prefix, unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%s%02X", prefix, value);
  return text;
}

}  // namespace

std::string TerminalText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const std::optional<char32_t> c = NextUtf8CodePoint(text, i);
    if (!c) {
      i = start + 1;
      shown += Escaped("\\x", static_cast<unsigned char>(text[start]));
    } else if (*c < 0x20 || *c == 0x7F) {
      shown += Escaped("\\x", static_cast<unsigned>(*c));
    } else if (*c >= 0x80 && *c <= 0x9F) {
      shown += Escaped("\\u00", static_cast<unsigned>(*c));
    } else {
      shown.append(text.substr(start, i - start));
    }
  }
  return shown;
}

}  // namespace quorvane

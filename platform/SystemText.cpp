#include "platform/SystemText.h"

#include <array>

#include "platform/Utf8.h"

namespace quorvane {

namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return LowerAscii(text.substr(0, prefix.size())) == LowerAscii(prefix);
}

}  // namespace

std::string CleanSystemText(std::string_view raw) {
  std::string text;
  bool blank = false;
  for (std::size_t i = 0; i < raw.size();) {
    const std::size_t length = Utf8SequenceLength(raw.substr(i));
    const auto c = static_cast<unsigned char>(raw[i]);
    const bool control =
        length == 1 ? (c < 0x20 || c == 0x7F)
                    : length == 2 && c == 0xC2 && static_cast<unsigned char>(raw[i + 1]) < 0xA0;
    if (control || c == ' ') {
      blank = !text.empty();
    } else {
      if (blank) text += ' ';
      blank = false;
      text += length == 0 ? std::string_view("?") : raw.substr(i, length);
    }
    i += length == 0 ? 1 : length;
  }
  return text;
}

bool IsPlaceholderText(std::string_view text) {
  static constexpr std::array<std::string_view, 17> kPlaceholders = {"to be filled by o.e.m.",
                                                                     "default string",
                                                                     "system manufacturer",
                                                                     "system product name",
                                                                     "not specified",
                                                                     "not applicable",
                                                                     "none",
                                                                     "oem",
                                                                     "o.e.m.",
                                                                     "unknown",
                                                                     "n/a",
                                                                     "na",
                                                                     "type1productconfigid",
                                                                     "0123456789",
                                                                     "123456789",
                                                                     "x.x",
                                                                     "not available"};
  const std::string lower = LowerAscii(std::string(text));
  for (std::string_view placeholder : kPlaceholders) {
    if (lower == placeholder) return true;
  }
  return false;
}

std::string JoinMakerAndName(const std::string& maker, const std::string& name) {
  if (maker.empty()) return name;
  if (name.empty()) return maker;
  if (StartsWithNoCase(name, maker)) return name;
  return maker + " " + name;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::optional<std::uint64_t> LeadingNumber(std::string_view text, std::size_t* used) {
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos || !isDigit(text[i])) return std::nullopt;
  std::uint64_t value = 0;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    const auto digit = static_cast<std::uint64_t>(text[i] - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  if (used) *used = i;
  return value;
}

}  // namespace quorvane

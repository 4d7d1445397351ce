#include "engine/Windows1252.h"

#include <array>
#include <cstdint>

namespace quorvane {

namespace {

// Windows-1252 is Latin-1 (bytes and code points 0x00-0xFF agree) except for 0x80-0x9F, which
// hold typographic characters. A fixed table of those 32 code points is all the conversion
// needs; it is used instead of iconv or a locale because the Windows build has no iconv and the
// result must not depend on the locale the program runs in. The five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the same number, as
// web browsers read them, so that no byte of a loaded file is lost.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

char32_t CodePointOf(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80u] : char32_t{byte};
}

std::optional<unsigned char> ByteOf(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    return static_cast<unsigned char>(codePoint);
  }
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == codePoint) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::optional<std::string> Utf8ToWindows1252(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::optional<char32_t> c = NextUtf8CodePoint(utf8, i);
    if (!c) return std::nullopt;
    const std::optional<unsigned char> byte = ByteOf(*c);
    if (!byte) return std::nullopt;
    bytes += static_cast<char>(*byte);
  }
  return bytes;
}

std::string Utf8ToWindows1252Lenient(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::optional<char32_t> c = NextUtf8CodePoint(utf8, i);
    const std::optional<unsigned char> byte = c ? ByteOf(*c) : std::nullopt;
    const char out = byte ? static_cast<char>(*byte) : '?';
    bytes += out == '\r' || out == '\n' ? ' ' : out;
  }
  return bytes;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string utf8;
  utf8.reserve(bytes.size());
  for (char byte : bytes) AppendUtf8(utf8, CodePointOf(static_cast<unsigned char>(byte)));
  return utf8;
}

FieldTextProblem ToFieldBytes(std::string_view utf8, std::string& bytes) {
  std::optional<std::string> converted = Utf8ToWindows1252(utf8);
  if (!converted) return FieldTextProblem::NotWindows1252;
  if (converted->find_first_of("\r\n") != std::string::npos) return FieldTextProblem::LineBreak;
  bytes = std::move(*converted);
  return FieldTextProblem::None;
}

std::string FieldTextMessage(std::string_view fieldName, FieldTextProblem problem) {
  std::string message = "The entry \"" + std::string(fieldName) + "\" ";
  switch (problem) {
    case FieldTextProblem::None:
      return {};
    case FieldTextProblem::NotWindows1252:
      return message +
             "holds a character that a result file cannot store (Windows-1252 text "
             "only). Please replace it.";
    case FieldTextProblem::LineBreak:
      return message + "may not hold a line break. Please remove it.";
  }
  return {};
}

bool IsControlByte(char byte) {
  const auto b = static_cast<unsigned char>(byte);
  return b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

std::string ShowableText(std::string_view bytes) {
  std::string shown(bytes);
  for (char& c : shown) {
    if (IsControlByte(c)) c = '?';
  }
  return shown;
}

}  // namespace quorvane

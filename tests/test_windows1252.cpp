// The text encoding of files and exports: every byte survives a round trip through UTF-8, the
// typographic range maps to its characters, and what Windows-1252 cannot hold is refused.
#include <gtest/gtest.h>

#include <string>

#include "engine/Windows1252.h"

namespace quorvane {
namespace {

TEST(Windows1252, EveryByteConvertsToUtf8AndBackAndSystemTextsAreShowable) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
  // The characters of the 0x80-0x9F range and Latin-1 above it, one byte each.
  EXPECT_EQ(Windows1252ToUtf8("Z\xFCrich \x80"), "Zürich €");
  EXPECT_EQ(
      Utf8ToWindows1252("„Ryzen™“ – … Œœ Šš Žž Ÿ ƒ ˆ ˜ ‰ ‹ › • — ‘ ’ ” † ‡ ‚"),
      std::string("\x84Ryzen\x99\x93 \x96 \x85 \x8C\x9C \x8A\x9A \x8E\x9E \x9F \x83 \x88 \x98 "
                  "\x89 \x8B \x9B \x95 \x97 \x91 \x92 \x94 \x86 \x87 \x82"));
  // Texts of the system are converted without refusal; control bytes are shown as question
  // marks, printable bytes of every range stay.
  EXPECT_EQ(Utf8ToWindows1252Lenient("Intel® Core™ Ω\xff\nend\r"), "Intel\xAE Core\x99 ?? end ");
  // A malformed sequence costs one '?' per byte, never the characters after it.
  EXPECT_EQ(Utf8ToWindows1252Lenient("\xC3"
                                     "A\xE2\x82"
                                     "B\xF0\x9F\x92"),
            "?A??B???");
  EXPECT_EQ(ShowableText("a\x1b[31mred\x07\tb\x7F\x81\x8D\x8F\x90\x9D ~\x80\x9F\xA0\xFF"),
            "a?[31mred??b?????? ~\x80\x9F\xA0\xFF");
}

TEST(Windows1252, EntriesItCannotHoldAreRefusedNotReplaced) {
  for (const char* text : {"Ω", "A\u0100", "漢字", "😀", "\x80", "\xC3", "\xC0\xAF", "\xED\xA0\x80",
                           "\xF4\x90\x80\x80", "\xE2\x82"}) {
    std::string bytes = "untouched";
    EXPECT_EQ(ToFieldBytes(text, bytes), FieldTextProblem::NotWindows1252) << text;
    EXPECT_EQ(bytes, "untouched");
  }
  std::string bytes;
  for (const char* text : {"Ac\nme", "7\r\n8", "\r"}) {
    EXPECT_EQ(ToFieldBytes(text, bytes), FieldTextProblem::LineBreak) << text;
  }
  EXPECT_EQ(ToFieldBytes("Zürich\t€", bytes), FieldTextProblem::None);
  EXPECT_EQ(bytes, "Z\xFCrich\t\x80");
  EXPECT_EQ(FieldTextMessage("cpu", FieldTextProblem::LineBreak),
            "The entry \"cpu\" may not hold a line break. Please remove it.");
}

}  // namespace
}  // namespace quorvane

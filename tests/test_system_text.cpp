// The cleaning and joining of the texts the system reports, which both systems' machine
// detection share.
#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SystemText.h"
#include "platform/Utf8.h"

namespace quorvane {
namespace {

TEST(SystemText, ControlCharactersBlanksAndBrokenUtf8AreMadeFitToShow) {
  EXPECT_EQ(CleanSystemText("  Intel(R)\tCore(TM)\r\n i7 \x7f "), "Intel(R) Core(TM) i7");
  // C1 controls (U+0080..U+009F) count as controls, U+00A0 and above do not.
  EXPECT_EQ(CleanSystemText("a\xC2\x85"
                            "b\xC2\xA0"
                            "c"),
            "a b\xC2\xA0"
            "c");
  // Bytes that are not UTF-8 (a lone continuation, an overlong form, a surrogate, a cut
  // sequence) each become '?'; valid sequences stay.
  EXPECT_EQ(CleanSystemText("\x80x\xC0\xAF\xED\xA0\x80\xE2\x82"), "?x???????");
  const std::string valid =
      "Stra\xC3\x9F"
      "e \xF0\x9F\x92\xBE";
  EXPECT_EQ(CleanSystemText(valid), valid);
  EXPECT_EQ(CleanSystemText("\x01\x02 "), "");
}

TEST(Utf8, SequencesAreReadToTheirLimitsAndAMalformedOneCostsOneByte) {
  struct Case {
    std::string_view bytes;
    std::size_t length;
  };
  for (const Case& c : std::initializer_list<Case>{{"", 0},
                                                   {"A", 1},
                                                   {"\xC2\x80", 2},
                                                   {"\xC1\xBF", 0},
                                                   {"\xE0\xA0\x80", 3},
                                                   {"\xE0\x9F\xBF", 0},
                                                   {"\xED\x9F\xBF", 3},
                                                   {"\xED\xA0\x80", 0},
                                                   {"\xF4\x8F\xBF\xBF", 4},
                                                   {"\xF4\x90\x80\x80", 0},
                                                   {"\xF0\x9F\x92", 0},
                                                   {"\x80", 0},
                                                   {"\xF5\x80\x80\x80", 0},
                                                   {"\xE2\x82"
                                                    "A",
                                                    0}}) {
    EXPECT_EQ(Utf8SequenceLength(c.bytes), c.length)
        << testing::PrintToString(std::string(c.bytes));
  }
  const std::string_view text =
      "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xC3"
      "b";
  std::vector<std::optional<char32_t>> read;
  std::vector<std::size_t> after;
  for (std::size_t i = 0; i < text.size();) {
    read.push_back(NextUtf8CodePoint(text, i));
    after.push_back(i);
  }
  const std::vector<std::optional<char32_t>> expected = {U'a',          U'\u00E9',    U'\u20AC',
                                                         U'\U0001F600', std::nullopt, U'b'};
  EXPECT_EQ(read, expected);
  EXPECT_EQ(after, (std::vector<std::size_t>{1, 3, 6, 10, 11, 12}));
}

TEST(SystemText, PlaceholdersAreKnownWithoutRegardToCaseAndOnlyWhole) {
  EXPECT_TRUE(IsPlaceholderText("To Be Filled By O.E.M."));
  EXPECT_TRUE(IsPlaceholderText("DEFAULT STRING"));
  EXPECT_FALSE(IsPlaceholderText("Default strings"));
  EXPECT_FALSE(IsPlaceholderText(""));
}

TEST(SystemText, AMakerIsNotRepeatedBeforeANameThatStartsWithIt) {
  EXPECT_EQ(JoinMakerAndName("ASUSTeK", "ASUSTEK PRIME B450"), "ASUSTEK PRIME B450");
  EXPECT_EQ(JoinMakerAndName("Dell Inc.", "0X8DXD"), "Dell Inc. 0X8DXD");
  EXPECT_EQ(JoinMakerAndName("", "B450"), "B450");
  EXPECT_EQ(JoinMakerAndName("MSI", ""), "MSI");
}

TEST(SystemText, LeadingNumbersStopAtTheFirstNonDigitAndNeverWrap) {
  std::size_t used = 0;
  EXPECT_EQ(LeadingNumber(" \t3400 MHz", &used), 3400u);
  EXPECT_EQ(used, 6u);
  EXPECT_EQ(LeadingNumber("18446744073709551615"), UINT64_MAX);
  EXPECT_FALSE(LeadingNumber("18446744073709551616").has_value());
  EXPECT_FALSE(LeadingNumber("-1").has_value());
  EXPECT_FALSE(LeadingNumber("  ").has_value());
}

}  // namespace
}  // namespace quorvane

// Reading UTF-8, the one decoder of the program: what the system reports, what a user types and
// what a terminal is given are all read through it. Pure functions on bytes; any thread may call
// them.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace quorvane {

// The length (1 to 4) of the well-formed UTF-8 sequence at the start of `text`; 0 when the text
// is empty or does not start with one (a stray continuation byte, an overlong form, a surrogate,
// a value beyond U+10FFFF, a sequence cut short).
std::size_t Utf8SequenceLength(std::string_view text);

// The code point of the sequence at `i`, `i` moved past it; nothing for a byte that does not
// start a well-formed sequence, `i` then moved past that one byte only, so that the characters
// after a malformed sequence are read as they are. `i` must be before the end of `text`.
std::optional<char32_t> NextUtf8CodePoint(std::string_view text, std::size_t& i);

}  // namespace quorvane

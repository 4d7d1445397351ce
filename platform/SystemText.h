// The texts the system reports about itself (firmware fields, model names, the registry) made
// fit for a machine description, the same way on every system. Pure functions on bytes; any
// thread may call them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// A system text made fit to show: control characters (C0, DEL and C1) and runs of blanks
// become one blank, the ends are trimmed, and bytes that are not UTF-8 become '?'.
std::string CleanSystemText(std::string_view raw);

// Whether a cleaned text is one that firmware makers leave in fields they did not fill in
// ("To be filled by O.E.M.", "Default string", ...), compared without regard to case.
bool IsPlaceholderText(std::string_view text);

// "maker name" from two cleaned parts, either of which may be empty; `name` alone when it
// already starts with the maker ("ASUSTeK" and "ASUSTeK PRIME B450" give the latter).
std::string JoinMakerAndName(const std::string& maker, const std::string& name);

// `text` with the letters A to Z made lower case.
std::string LowerAscii(std::string text);

// The leading decimal number of `text` (blanks and tabs before it allowed); nothing when there
// are no digits or it does not fit in 64 bits. `used`, when given, gets the position after it.
std::optional<std::uint64_t> LeadingNumber(std::string_view text, std::size_t* used = nullptr);

}  // namespace quorvane

// Conversions between the UTF-16 texts of the Windows calls and the UTF-8 texts of the rest of
// the program. For the Windows sources of platform/ only; includes nothing of Windows itself.
// Any thread may call them (not a signal handler: they allocate).
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// `wide` as UTF-8; an unpaired surrogate becomes U+FFFD. Empty for an empty text.
std::string Utf8FromWide(std::wstring_view wide);

// `text` as UTF-16; bytes that are not UTF-8 become U+FFFD. Empty for an empty text.
std::wstring WideFromUtf8(std::string_view text);

}  // namespace quorvane

// Texts that quorvane-cli prints into a message line on a terminal: a path from the command
// line, a text from a file or from the system. Escapes what a terminal would act on instead of
// showing. No output here; any thread may call it.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// `text` (UTF-8) for one terminal line: the C0 controls (line breaks and tabs included) and DEL
// as \xHH, the C1 controls U+0080..U+009F as \u00HH, and every byte that is not part of valid
// UTF-8 as \xHH. Everything else, backslashes included, stays as it is.
std::string TerminalText(std::string_view text);

}  // namespace quorvane

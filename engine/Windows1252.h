// The one text encoding of result files, exports and the report: Windows-1252, one byte per
// character. Converts UTF-8 to and from it, checks a field text before it is stored, and makes
// stored text safe to show. Never changes the bytes of a stored field; no user interface here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Utf8.h"  // NextUtf8CodePoint, for those who read UTF-8 through this unit

namespace quorvane {

// The Windows-1252 bytes of a UTF-8 text, or nothing when the text is not valid UTF-8 or holds
// a character that Windows-1252 has no byte for.
std::optional<std::string> Utf8ToWindows1252(std::string_view utf8);

// The Windows-1252 bytes of a text that no user typed (what the system reports about itself),
// where nobody can be asked to change it: a character Windows-1252 cannot hold, and a byte that
// is not UTF-8, becomes '?'; a CR or LF becomes a space, so that it cannot break a file's lines.
std::string Utf8ToWindows1252Lenient(std::string_view utf8);

// The UTF-8 text of Windows-1252 bytes. Every byte has a character (the five bytes that
// Windows-1252 leaves undefined stand for the C1 controls of the same number), so any bytes
// convert and convert back unchanged.
std::string Windows1252ToUtf8(std::string_view bytes);

// Why a text typed for a description field cannot be stored.
enum class FieldTextProblem { None, NotWindows1252, LineBreak };

// Checks a UTF-8 field text and gives its Windows-1252 bytes in `bytes` (not yet cut to the
// field's length). A CR or LF would break the result file's lines and is refused.
FieldTextProblem ToFieldBytes(std::string_view utf8, std::string& bytes);

// The message that names the field: "The entry "Brand" ...".
std::string FieldTextMessage(std::string_view fieldName, FieldTextProblem problem);

// True for the bytes that a terminal or the report must not show as they are: the C0 controls,
// DEL and the five undefined bytes.
bool IsControlByte(char byte);

// `bytes` with every control byte shown as '?'.
std::string ShowableText(std::string_view bytes);

}  // namespace quorvane

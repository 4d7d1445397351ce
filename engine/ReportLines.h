// The report's 100 fixed text lines and what is done with them: emptying all of them, putting one
// text into one 256-byte line, reading a line back and finding where the report ends. It never
// writes past a line and knows nothing of what the lines say.
#pragma once

#include <array>
#include <cstdio>
#include <string_view>

namespace quorvane {

constexpr int kReportLines = 100;
constexpr int kReportLineSize = 256;  // 255 characters and the terminating NUL

// A NUL-terminated text; a line whose first character is NUL is empty.
using ReportLine = std::array<char, kReportLineSize>;
using ReportLines = std::array<ReportLine, kReportLines>;

// Empties all 100 lines (first character NUL).
void EmptyReportLines(ReportLines& lines);

// Puts a fixed text into a line, cut at 255 characters.
void WriteText(ReportLine& line, std::string_view text);

// Puts `count` spaces into a line (at most 255).
void WriteSpaces(ReportLine& line, int count);

// Formats a line with printf rules; a result longer than 255 characters is cut there. The
// formats are the constant tables of the views, so they are not literals at this call.
template <typename... Args>
void FormatLine(ReportLine& line, const char* format, Args... args) {
  static_assert(sizeof...(Args) > 0, "a line without arguments is written with WriteText");
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
  std::snprintf(line.data(), line.size(), format, args...);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

// The text of a line, up to its NUL.
std::string_view LineText(const ReportLine& line);

// The number of lines from line 0 down to the last non-empty line (0 for an empty report).
int ReportLineCount(const ReportLines& lines);

}  // namespace quorvane

#include "engine/ReportLines.h"

#include <algorithm>
#include <cstring>

#include "engine/ResultStore.h"

namespace quorvane {

void EmptyReportLines(ReportLines& lines) {
  for (ReportLine& line : lines) line[0] = '\0';
}

void WriteText(ReportLine& line, std::string_view text) {
  const std::size_t length = std::min(text.size(), line.size() - 1);
  std::memcpy(line.data(), text.data(), length);
  line[length] = '\0';
}

void WriteSpaces(ReportLine& line, int count) {
  const std::size_t length =
      std::min(static_cast<std::size_t>(std::max(count, 0)), line.size() - 1);
  std::memset(line.data(), ' ', length);
  line[length] = '\0';
}

std::string_view LineText(const ReportLine& line) { return TextUpToNul(line); }

int ReportLineCount(const ReportLines& lines) {
  for (int i = kReportLines; i > 0; --i) {
    if (lines[static_cast<std::size_t>(i - 1)][0] != '\0') return i;
  }
  return 0;
}

}  // namespace quorvane

#include "report/TextExport.h"

#include "engine/ReportLines.h"
#include "platform/SaveFile.h"

namespace quorvane {

std::string ExportBytes(const ReportLines& lines) {
  std::string bytes;
  const int count = ReportLineCount(lines);
  for (int i = 0; i < count; ++i) {
    bytes += LineText(lines[static_cast<std::size_t>(i)]);
    bytes += "\r\n";
  }
  return bytes;
}

FileOutcome ExportReport(const ReportLines& lines, const std::filesystem::path& path) {
  return SaveFileContents(path, ExportBytes(lines)) ? FileOutcome::CannotCreate : FileOutcome::Done;
}

}  // namespace quorvane

#include "report/ReportText.h"

namespace quorvane {

int ReportLineCount(const ReportLines& lines) {
  for (int i = kReportLines; i > 0; --i) {
    if (lines[static_cast<std::size_t>(i - 1)][0] != '\0') return i;
  }
  return 0;
}

}  // namespace quorvane

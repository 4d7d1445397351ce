// The text export: the report lines as they stand, results or descriptions, as 8-bit text with
// CR LF after every line. Reads the report only.
#pragma once

#include <filesystem>
#include <string>

#include "engine/BenchmarkState.h"
#include "report/FileOutcome.h"

namespace quorvane {

// Every line from line 0 down to the last non-empty one (an empty line as an empty line), each
// followed by CR LF; nothing for an empty report.
std::string ExportBytes(const ReportLines& lines);

// Writes the export to `path` without destroying what is there (SaveFile.h: special files
// written in place, a refused or failed export leaves the file as it was). Done or CannotCreate.
FileOutcome ExportReport(const ReportLines& lines, const std::filesystem::path& path);

}  // namespace quorvane

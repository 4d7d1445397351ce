// The files quorvane-cli writes (--save, --export, --html): "-" for standard output, the checks
// made before a run (same file as another input or output, writable at all), and the messages that
// name a file and the system's reason. Writes nothing itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "cli/CliOptions.h"

namespace quorvane {

// The name that means standard output for --save, --export and --html.
inline constexpr std::string_view kStandardOutput = "-";

// Whether two file names given on the command line name the same file: the same device and
// inode when both exist, otherwise the same absolute, normalised path. "-" is only itself.
bool SameFile(const std::string& a, const std::string& b);

// The usage problem when --save, --export or --html names the same file as --load, --compare,
// --history-file or an output before it, or when an output to "-" meets --json; empty when there
// is none.
std::string OutputConflict(const CliOptions& options);

// "Cannot save file! (NAME: REASON)": the message of a failed save or export, its control
// characters escaped for a terminal.
std::string SaveFailureMessage(const std::string& path, std::error_code reason);

// The first --save, --export or --html target that cannot be written now, with its message; checked
// without creating or opening anything.
std::optional<std::string> UnwritableOutput(const CliOptions& options);

}  // namespace quorvane

// Result files: one machine's results, its description and its described drives as 8-bit text
// with CR LF line ends, the last line without one. Writing reads the store only; reading fills
// the tables of one machine. Neither shows anything to the user nor rebuilds the report.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "engine/BenchmarkState.h"
#include "report/FileOutcome.h"

namespace quorvane {

// The most bytes a result file is read up to: far above any file a writer makes (a few
// kilobytes); a longer file is not a result file.
inline constexpr std::size_t kResultFileLimit = 1 << 20;

// The machine whose tables a read fills: this machine (Load) or the comparison machine (Compare).
enum class FileTarget { ThisMachine, OtherMachine };

// The check letter of a record: 'A' plus the value's numeric reading, taken as an unsigned
// 32-bit number, modulo 9.
char CheckLetter(std::string_view value);

// The bytes of the result file of this machine's tables.
std::string ResultFileBytes(const BenchmarkState& state);

// Saves this machine's tables to `path` without destroying what is there (SaveFile.h: special
// files written in place, a refused or failed save leaves the file as it was). Done or
// CannotCreate.
FileOutcome SaveResultFile(const BenchmarkState& state, const std::filesystem::path& path);

// Reads a result file into the target's tables: its result rows replace all of the target's
// rows, then the 14 description fields (left as they were when the file ends before them), then
// the drive records that the file lists. The tables change only when the whole file was read:
// Done; CannotOpen (cannot be opened or read) and NotResultFile (binary content, a first line
// neither empty nor made of records, no marker line after it, or a drive line that does not
// start with a drive letter) leave every table as it was. Only a regular file is read, never
// more than kResultFileLimit bytes: a named pipe, device or socket is CannotOpen without waiting
// for a writer, a longer file NotResultFile. The caller rebuilds the report.
FileOutcome ReadResultFile(BenchmarkState& state, FileTarget target,
                           const std::filesystem::path& path);

// The same reading, with the reason of a failure: the system's reason for CannotOpen ("No such
// file or directory"), "not a regular file", or for a file longer than the limit "larger than
// 1 MiB"; empty otherwise.
ExplainedOutcome ReadResultFileWithReason(BenchmarkState& state, FileTarget target,
                                          const std::filesystem::path& path);

// The same reading from bytes already in memory.
FileOutcome ReadResultBytes(BenchmarkState& state, FileTarget target, std::string_view bytes);

}  // namespace quorvane

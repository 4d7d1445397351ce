#include "report/ResultFile.h"

#include <algorithm>
#include <cstdio>

#include "platform/OpenFile.h"
#include "platform/SaveFile.h"

namespace quorvane {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kMarker = "x";
constexpr std::size_t kRecordLength = 12;  // code, 10 value characters, check letter
// What matters of a line: the records of the first line, or a field of the others. The rest of
// a longer line is read past but not kept.
constexpr std::size_t kRecordsKept = kRecordLength * kResultRows;
constexpr std::size_t kFieldKept = kFieldMaxLength;

class MemorySource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  int Get() { return next_ < bytes_.size() ? static_cast<unsigned char>(bytes_[next_++]) : EOF; }

 private:
  std::string_view bytes_;
  std::size_t next_ = 0;
};

// Splits a source into lines: CR LF and a bare LF end a line; a CR before anything else is an
// ordinary character. A last line without a line end is a line when it holds anything. A NUL
// byte marks binary content: reading stops there and `binary()` tells.
template <class Source>
class LineReader {
 public:
  explicit LineReader(Source& source) : source_(source) {}

  // The next line without its line end, of which at most `keep` bytes are kept. False when the
  // file has ended or a NUL byte was met.
  bool Next(std::string& line, std::size_t keep) {
    line.clear();
    if (binary_) return false;
    bool any = false;
    bool pendingCr = false;
    for (int c = source_.Get(); c != EOF; c = source_.Get()) {
      if (c == '\0') {
        binary_ = true;
        return false;
      }
      any = true;
      if (c == '\n') return true;
      if (pendingCr) Keep(line, '\r', keep);
      pendingCr = c == '\r';
      if (!pendingCr) Keep(line, static_cast<char>(c), keep);
    }
    if (pendingCr) Keep(line, '\r', keep);
    return any;
  }

  bool binary() const { return binary_; }

 private:
  static void Keep(std::string& line, char c, std::size_t keep) {
    if (line.size() < keep) line.push_back(c);
  }

  Source& source_;
  bool binary_ = false;
};

// One machine's tables: the target of a read, or the scratch copy that a read fills first.
struct TargetTables {
  ResultTable results;
  MachineDescription machine;
  DriveTable drives;
};

TargetTables CopyOf(const BenchmarkState& state, FileTarget target) {
  if (target == FileTarget::ThisMachine) {
    return {state.thisResults, state.thisMachine, state.thisDrives};
  }
  return {state.otherResults, state.otherMachine, state.otherDrives};
}

void Commit(const TargetTables& tables, BenchmarkState& state, FileTarget target) {
  const bool self = target == FileTarget::ThisMachine;
  (self ? state.thisResults : state.otherResults) = tables.results;
  (self ? state.thisMachine : state.otherMachine) = tables.machine;
  (self ? state.thisDrives : state.otherDrives) = tables.drives;
}

// Fills result rows from the records line, 12 characters a record, until a record is empty,
// starts with NUL or "x", is cut short by the line end, or fails its check letter (that row
// keeps what was stored), or 100 rows are filled.
void ReadRecords(std::string_view line, ResultTable& results) {
  for (std::size_t k = 0; k < results.size(); ++k) {
    const std::string_view chunk =
        line.substr(std::min(line.size(), k * kRecordLength), kRecordLength);
    if (chunk.empty() || chunk[0] == '\0' || chunk[0] == 'x') return;
    if (chunk.size() < kRecordLength) return;  // a partial record holds no 10-character value
    ResultEntry& row = results[k];
    row.code = chunk[0];
    std::fill(row.value.begin(), row.value.end(), '\0');
    std::copy_n(chunk.begin() + 1, kValueLength, row.value.begin());
    if (k + 1 < results.size()) EmptyRow(results[k + 1]);
    if (CheckLetter(ValueText(row)) != chunk[kRecordLength - 1]) return;
  }
}

// A record as every writer makes it: a code that is printable and not the marker, then the
// value "%10u" (spaces, then digits), then the check letter (any byte: a value beyond 2^31 gets
// one before "A" from older writers). A record cut short by the line end needs only the shape
// of what it holds.
bool IsRecordShaped(std::string_view chunk) {
  const auto code = static_cast<unsigned char>(chunk[0]);
  if (code < 0x20 || code > 0x7E || code == 'x') return false;
  const std::string_view value = chunk.substr(1, kValueLength);
  const std::size_t digits = value.find_first_not_of(' ');
  return digits == std::string_view::npos ||
         value.find_first_not_of("0123456789", digits) == std::string_view::npos;
}

// The first line of a result file is empty or made of records, 12 characters each.
bool IsRecordsLine(std::string_view line) {
  for (std::size_t at = 0; at < line.size(); at += kRecordLength) {
    if (!IsRecordShaped(line.substr(at, kRecordLength))) return false;
  }
  return true;
}

// Reads into `tables`. NotResultFile, with the tables only partly filled, when the bytes cannot
// be a result file: a NUL byte anywhere, a first line neither empty nor made of records, no
// marker line after it, or a drive line that does not start with a drive letter.
template <class Source>
FileOutcome ReadFrom(Source& source, TargetTables& tables) {
  LineReader<Source> lines(source);
  std::string line;
  // The records line, then the marker line.
  if (!lines.Next(line, kRecordsKept) || !IsRecordsLine(line)) return FileOutcome::NotResultFile;
  ReadRecords(line, tables.results);
  if (!lines.Next(line, kFieldKept) || line.empty() || line[0] != kMarker[0]) {
    return FileOutcome::NotResultFile;
  }
  // Exactly 14 description lines: the description is found by its position, so fields that are
  // empty or start with "x" read back as they were written.
  if (lines.Next(line, kFieldKept)) {
    for (std::size_t field = 0; field < kMachineFields.size(); ++field) {
      if (field > 0 && !lines.Next(line, kFieldKept)) line.clear();  // the file ended: empty
      SetField(tables.machine.*kMachineFields[field], line);
    }
    // Drive records, four lines each, for as long as the file goes on.
    while (lines.Next(line, kFieldKept)) {
      if (line.empty() || line[0] < kFirstDrive || line[0] > kLastDrive) {
        return FileOutcome::NotResultFile;
      }
      DriveDescription& drive = tables.drives[static_cast<std::size_t>(line[0] - kFirstDrive)];
      SetField(drive.letter, line);
      for (DescriptionField* field : {&drive.harddisk, &drive.controller, &drive.driver}) {
        if (!lines.Next(line, kFieldKept)) line.clear();
        SetField(*field, line);
      }
    }
  }
  // A file that ends before its description leaves the description as it was.
  return lines.binary() ? FileOutcome::NotResultFile : FileOutcome::Done;
}

// Reads a source into a copy of the target's tables, whose results are emptied first, and puts
// the copy in place only when the whole file was read: a refused or unreadable file changes
// nothing.
template <class Source>
FileOutcome ReadAndCommit(Source& source, BenchmarkState& state, FileTarget target) {
  TargetTables tables = CopyOf(state, target);
  EmptyResultTable(tables.results);
  const FileOutcome outcome = ReadFrom(source, tables);
  if (outcome == FileOutcome::Done) Commit(tables, state, target);
  return outcome;
}

}  // namespace

char CheckLetter(std::string_view value) {
  return static_cast<char>('A' + ReadUnsignedValue(value) % 9u);
}

std::string ResultFileBytes(const BenchmarkState& state) {
  std::string bytes;
  for (const ResultEntry& row : state.thisResults) {
    if (row.code == '\0') break;
    const std::string_view value = ValueText(row);
    bytes += row.code;
    bytes += value;
    bytes += CheckLetter(value);
  }
  bytes += kLineEnd;
  bytes += kMarker;
  for (const auto field : kMachineFields) {
    bytes += kLineEnd;
    bytes += FieldText(state.thisMachine.*field);
  }
  for (int k = 0; k < kDriveRecords; ++k) {
    if (!IsDriveDescribed(state.thisDrives, k)) continue;
    const DriveDescription& drive = state.thisDrives[static_cast<std::size_t>(k)];
    for (const DescriptionField* field :
         {&drive.letter, &drive.harddisk, &drive.controller, &drive.driver}) {
      bytes += kLineEnd;
      bytes += FieldText(*field);
    }
  }
  return bytes;
}

FileOutcome SaveResultFile(const BenchmarkState& state, const std::filesystem::path& path) {
  return SaveFileContents(path, ResultFileBytes(state)) ? FileOutcome::CannotCreate
                                                        : FileOutcome::Done;
}

FileOutcome ReadResultFile(BenchmarkState& state, FileTarget target,
                           const std::filesystem::path& path) {
  return ReadResultFileWithReason(state, target, path).outcome;
}

ExplainedOutcome ReadResultFileWithReason(BenchmarkState& state, FileTarget target,
                                          const std::filesystem::path& path) {
  const ReadFileResult file = ReadRegularFile(path, kResultFileLimit);
  switch (file.status) {
    case ReadStatus::Read:
      return {ReadResultBytes(state, target, file.bytes), {}};
    case ReadStatus::CannotOpen:
      return {FileOutcome::CannotOpen, file.error.message()};
    case ReadStatus::NotRegular:
      return {FileOutcome::CannotOpen, "not a regular file"};
    case ReadStatus::TooLong:
      return {FileOutcome::NotResultFile, "larger than 1 MiB"};
  }
  return {FileOutcome::CannotOpen, {}};
}

FileOutcome ReadResultBytes(BenchmarkState& state, FileTarget target, std::string_view bytes) {
  MemorySource source(bytes);
  return ReadAndCommit(source, state, target);
}

}  // namespace quorvane

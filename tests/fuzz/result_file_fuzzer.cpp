// libFuzzer target for the result file reader: any bytes are read as this machine's and the
// comparison machine's file, both report views are built and exported, and a file that reads
// back as well-formed rows is written and read again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "report/Report.h"
#include "report/ResultFile.h"
#include "report/TextExport.h"

namespace {

using namespace quorvane;

// True when every used row holds a ten-character value, as every writer of values makes them.
bool RowsAreWellFormed(const ResultTable& table) {
  for (const ResultEntry& row : table) {
    if (row.code == '\0') return true;
    if (ValueText(row).size() != static_cast<std::size_t>(kValueLength)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto state = std::make_unique<BenchmarkState>();
  ReadResultBytes(*state, FileTarget::ThisMachine, bytes);
  ReadResultBytes(*state, FileTarget::OtherMachine, bytes);
  BuildReport(*state);
  (void)ExportBytes(state->ReportText);
  ShowDescription(*state);
  (void)ExportBytes(state->ReportText);

  if (RowsAreWellFormed(state->thisResults)) {
    const std::string written = ResultFileBytes(*state);
    auto again = std::make_unique<BenchmarkState>();
    if (ReadResultBytes(*again, FileTarget::ThisMachine, written) != FileOutcome::Done) __builtin_trap();
    if (ResultFileBytes(*again) != written) __builtin_trap();
  }
  return 0;
}

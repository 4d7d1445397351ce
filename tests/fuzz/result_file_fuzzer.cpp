// libFuzzer target for the result file reader: any bytes are read as this machine's and the
// comparison machine's file, both report views are built and exported, and what was read (every
// row the reader takes holds a ten-character value) is written and read again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "report/Report.h"
#include "report/ResultFile.h"
#include "report/TextExport.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto state = std::make_unique<BenchmarkState>();
  ReadResultBytes(*state, FileTarget::ThisMachine, bytes);
  ReadResultBytes(*state, FileTarget::OtherMachine, bytes);
  BuildReport(*state);
  (void)ExportBytes(state->ReportText);
  ShowDescription(*state);
  (void)ExportBytes(state->ReportText);

  const std::string written = ResultFileBytes(*state);
  auto again = std::make_unique<BenchmarkState>();
  if (ReadResultBytes(*again, FileTarget::ThisMachine, written) != FileOutcome::Done)
    __builtin_trap();
  if (ResultFileBytes(*again) != written) __builtin_trap();
  return 0;
}

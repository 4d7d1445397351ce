#include "cli/OutputTargets.h"

#include <filesystem>

#include "cli/TerminalText.h"
#include "platform/SaveFile.h"
#include "report/FileOutcome.h"

namespace quorvane {

namespace {

namespace fs = std::filesystem;

struct NamedFile {
  const char* option;
  const std::optional<std::string>* name;
};

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  if (a == kStandardOutput || b == kStandardOutput) return a == b;
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error)) return fs::equivalent(a, b, error);
  return fs::weakly_canonical(fs::absolute(a, error), error).lexically_normal() ==
         fs::weakly_canonical(fs::absolute(b, error), error).lexically_normal();
}

std::string OutputConflict(const CliOptions& options) {
  const NamedFile outputs[] = {
      {"--save", &options.save}, {"--export", &options.exportTo}, {"--html", &options.html}};
  // Each output against the inputs (the history included) and the outputs before it.
  constexpr std::size_t kInputs = 3;
  const NamedFile others[] = {{"--load", &options.load},
                              {"--compare", &options.compare},
                              {"--history-file", &options.historyFile},
                              {"--save", &options.save},
                              {"--export", &options.exportTo}};
  for (std::size_t k = 0; k < std::size(outputs); ++k) {
    const NamedFile& output = outputs[k];
    if (!*output.name) continue;
    for (std::size_t i = 0; i < kInputs + k; ++i) {
      const NamedFile& other = others[i];
      if (!*other.name) continue;
      if (SameFile(**output.name, **other.name)) {
        return std::string(output.option) + " names the same file as " + other.option + " ('" +
               **output.name + "')";
      }
    }
    if (options.json && **output.name == kStandardOutput) {
      return std::string(output.option) + " - and --json both write to standard output";
    }
  }
  return {};
}

std::string SaveFailureMessage(const std::string& path, std::error_code reason) {
  return OutcomeMessageFor(FileOutcome::CannotCreate, TerminalText(path),
                           TerminalText(reason.message()));
}

std::optional<std::string> UnwritableOutput(const CliOptions& options) {
  for (const std::optional<std::string>* output :
       {&options.save, &options.exportTo, &options.html}) {
    if (!*output || **output == kStandardOutput) continue;
    if (const std::error_code reason = CheckSaveTarget(**output))
      return SaveFailureMessage(**output, reason);
  }
  return std::nullopt;
}

}  // namespace quorvane

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
  const NamedFile outputs[] = {{"--save", &options.save}, {"--export", &options.exportTo}};
  const NamedFile inputs[] = {{"--load", &options.load},
                              {"--compare", &options.compare},
                              {"--save", &options.save},
                              {"--history-file", &options.historyFile}};
  for (const NamedFile& output : outputs) {
    if (!*output.name) continue;
    for (const NamedFile& other : inputs) {
      if (other.name == output.name || !*other.name) continue;
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
  for (const std::optional<std::string>* output : {&options.save, &options.exportTo}) {
    if (!*output || **output == kStandardOutput) continue;
    if (const std::error_code reason = CheckSaveTarget(**output))
      return SaveFailureMessage(**output, reason);
  }
  return std::nullopt;
}

}  // namespace quorvane

#include "report/FileOutcome.h"

namespace quorvane {

std::string_view OutcomeMessage(FileOutcome outcome) {
  switch (outcome) {
    case FileOutcome::Done:
      return {};
    case FileOutcome::CannotOpen:
      return "Can't open file!";
    case FileOutcome::CannotCreate:
      return "Cannot save file!";
    case FileOutcome::NotResultFile:
      return "This is not a Quorvane Mk III file!";
  }
  return {};
}

std::string OutcomeMessageFor(FileOutcome outcome, std::string_view name, std::string_view reason) {
  if (outcome == FileOutcome::Done) return {};
  std::string message(OutcomeMessage(outcome));
  message.append(" (").append(name);
  if (!reason.empty()) message.append(": ").append(reason);
  return message + ")";
}

}  // namespace quorvane

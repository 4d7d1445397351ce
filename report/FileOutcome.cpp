#include "report/FileOutcome.h"

namespace quorvane {

std::string_view OutcomeMessage(FileOutcome outcome) {
  switch (outcome) {
    case FileOutcome::Done: return {};
    case FileOutcome::CannotOpen: return "Can't open file!";
    case FileOutcome::CannotCreate: return "Cannot save file!";
    case FileOutcome::NotResultFile: return "This is not a Quorvane Mk III file!";
  }
  return {};
}

}  // namespace quorvane

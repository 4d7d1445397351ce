// What a file operation of the report came to, and the message a front end shows for it.
#pragma once

#include <string_view>

namespace quorvane {

enum class FileOutcome {
  Done,
  CannotOpen,     // the file could not be opened or read
  CannotCreate,   // the file could not be created or written
  NotResultFile,  // the bytes cannot be a result file
};

// The message of a failed operation ("Cannot save file!", ...); empty for Done.
std::string_view OutcomeMessage(FileOutcome outcome);

}  // namespace quorvane

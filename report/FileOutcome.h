// What a file operation of the report came to, and the message a front end shows for it.
#pragma once

#include <string>
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

// An outcome with what a front end shows after its message: the system's reason ("No such file
// or directory") or why the file was refused; empty when there is nothing to add.
struct ExplainedOutcome {
  FileOutcome outcome = FileOutcome::Done;
  std::string reason;
};

// The message of a failed operation followed by the file and the reason, the way both programs
// show it: "Can't open file! (NAME: REASON)", or "MESSAGE (NAME)" without a reason. Empty for
// Done.
std::string OutcomeMessageFor(FileOutcome outcome, std::string_view name, std::string_view reason);

}  // namespace quorvane

// The bash completion script of quorvane-cli, written from its option table: option names, the
// test names after --tests, the description fields after --set, file names after the file
// options and, after --drive, the drive letters that `quorvane-cli --list-drives` names at the
// moment of completion, after --load-run, --compare-run and --delete-run the ids of the runs
// that `quorvane-cli --history` lists then. Text only; nothing is run here.
#pragma once

#include <string>

namespace quorvane {

std::string BashCompletionScript();

}  // namespace quorvane

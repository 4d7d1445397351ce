// Where the history of runs lives when nothing else is said: the file that QUORVANE_HISTORY
// names; else history.sqlite3 in the quorvane folder of the user's data folder
// ($XDG_DATA_HOME, else ~/.local/share; on Windows %LOCALAPPDATA%\Quorvane). Pure: the
// environment is read through the function given. Any thread may call it.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quorvane {

// Reads one environment variable; nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The process's own environment.
std::optional<std::string> ProcessEnvironment(const char* name);

// The history's file; empty when the environment names no folder for it (no HOME).
std::filesystem::path DefaultHistoryPath(const EnvironmentLookup& environment = ProcessEnvironment);

}  // namespace quorvane

#include "history/HistoryLocation.h"

#include <cstdlib>

namespace quorvane {

namespace {

// A variable that is set to a non-empty absolute path (the XDG rule: others are ignored).
std::optional<std::filesystem::path> AbsolutePath(const EnvironmentLookup& environment,
                                                  const char* name) {
  const std::optional<std::string> value = environment(name);
  if (!value || value->empty()) return std::nullopt;
  std::filesystem::path path(*value);
  if (!path.is_absolute()) return std::nullopt;
  return path;
}

}  // namespace

std::optional<std::string> ProcessEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

std::filesystem::path DefaultHistoryPath(const EnvironmentLookup& environment) {
  if (const std::optional<std::string> chosen = environment("QUORVANE_HISTORY");
      chosen && !chosen->empty()) {
    return *chosen;
  }
#ifdef _WIN32
  if (const auto local = AbsolutePath(environment, "LOCALAPPDATA")) {
    return *local / "Quorvane" / "history.sqlite3";
  }
  return {};
#else
  if (const auto data = AbsolutePath(environment, "XDG_DATA_HOME")) {
    return *data / "quorvane" / "history.sqlite3";
  }
  if (const auto home = AbsolutePath(environment, "HOME")) {
    return *home / ".local" / "share" / "quorvane" / "history.sqlite3";
  }
  return {};
#endif
}

}  // namespace quorvane

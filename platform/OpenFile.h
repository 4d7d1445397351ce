// Opening a file as a C stream by its path, whatever the system's path characters: narrow
// (UTF-8 on Linux) or wide (UTF-16 on Windows), so that no name is lost in a conversion.
#pragma once

#include <cstdio>
#include <filesystem>

namespace quorvane {

// std::fopen with the path as the system takes it; `mode` as for fopen ("rb", "wb" ...).
// nullptr (errno set) when the file cannot be opened.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

}  // namespace quorvane

// Reading a small regular file whole by its path, whatever the system's path characters: narrow
// (UTF-8 on Linux) or wide (UTF-16 on Windows), so that no name is lost in a conversion. What is
// not a regular file (a named pipe, a device, a socket) is refused without waiting for a writer,
// and no more than a bound is read, so that no file can make a reader hang or fill the memory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>

namespace quorvane {

enum class ReadStatus {
  Read,        // `bytes` holds the whole file
  CannotOpen,  // opening or reading failed: `error` holds the system's reason
  NotRegular,  // a named pipe, device or socket: refused without being read
  TooLong,     // longer than the bound: refused
};

struct ReadFileResult {
  ReadStatus status = ReadStatus::CannotOpen;
  std::string bytes;
  std::error_code error;
};

// Reads the regular file `path` whole when it holds at most `limit` bytes. Opening never blocks
// (a named pipe without a writer is refused at once); a directory is CannotOpen with the reason
// "Is a directory". Any thread may call it.
ReadFileResult ReadRegularFile(const std::filesystem::path& path, std::size_t limit);

}  // namespace quorvane

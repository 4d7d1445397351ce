// The reasons Windows gives for a failed call, as the portable error conditions the rest of the
// program knows (std::errc and errno values), so that messages read the same on every system.
// For the Windows sources of platform/ only; includes nothing of Windows itself. Pure
// functions: any thread, no blocking, no failure.
#pragma once

#include <system_error>

namespace quorvane {

// The portable condition for a Windows error code (GetLastError()); EIO for one without a
// portable meaning.
int ErrnoFromWindowsError(unsigned long code);

// The same as an error code of the generic category.
std::error_code ReasonFromWindowsError(unsigned long code);

}  // namespace quorvane

// The part of the unbuffered file that is the same on every system: moving and closing it.
#include "platform/UnbufferedFile.h"

#include <utility>

namespace quorvane {

UnbufferedFile::UnbufferedFile(UnbufferedFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kClosed)) {}

UnbufferedFile& UnbufferedFile::operator=(UnbufferedFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, kClosed);
  }
  return *this;
}

UnbufferedFile::~UnbufferedFile() { Close(); }

}  // namespace quorvane

// The memory write passes and the buffer's lifetime.
#include "kernels/MemoryKernel.h"

#include <memory>

namespace quorvane {

std::int32_t MemoryKernel::Run(std::int32_t passes) {
  // Not initialised: the passes are the only writes, and nothing reads the buffer.
  std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kBufferBytes]);
  for (std::int32_t pass = 0; pass < passes; ++pass) {
    FillPass(buffer.get());
  }
  return 1;
}

void MemoryKernel::FillPass(std::uint8_t* buffer) {
  for (std::size_t size = kFirstBlockBytes; size <= kBufferBytes; size *= 2) {
    FillBlock(buffer, size);
  }
}

void MemoryKernel::FillBlock(std::uint8_t* buffer, std::size_t size) {
  // Volatile: every store is made, one byte at a time, in this order; none is merged, widened
  // into a vector store or turned into a library fill.
  volatile std::uint8_t* const bytes = buffer;
  for (std::size_t j = 0; j < size; ++j) {
    bytes[j] = static_cast<std::uint8_t>(j);
  }
}

}  // namespace quorvane

// The floating point kernel's pseudo-random generator: a linear congruential generator modulo
// 2^32 giving values 0..32767. Each object is its own generator; there is no shared one.
#pragma once

#include <cstdint>

namespace quorvane {

struct PseudoRandom {
  std::uint32_t state = 1;

  // state := state x 214013 + 2531011 (mod 2^32); the value is bits 16 to 30 of the new state.
  std::int32_t Next() {
    state = state * 214013u + 2531011u;
    return static_cast<std::int32_t>((state >> 16) & 0x7FFFu);
  }
};

}  // namespace quorvane

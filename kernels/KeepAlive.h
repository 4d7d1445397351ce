// Compiler controls for the kernels: barriers that make a value, or the memory behind a pointer,
// count as used or unknown, and markers that keep a routine a real call or always inline it, so
// that every kernel does its stated work. They emit no instructions of their own and must never
// be used to order threads.
#pragma once

#include <atomic>
#include <cstdint>

// QUORVANE_REAL_CALL: the routine stays a separate function that is really called every time;
// the optimiser may neither inline it nor specialise its callers on what it does.
#if defined(__clang__)
#define QUORVANE_REAL_CALL __attribute__((noinline))
#elif defined(__GNUC__)
#define QUORVANE_REAL_CALL __attribute__((noinline, noipa))
#elif defined(_MSC_VER)
#define QUORVANE_REAL_CALL __declspec(noinline)
#else
#define QUORVANE_REAL_CALL
#endif

// QUORVANE_ALWAYS_INLINE: the routine is always inlined, so that state its caller keeps in local
// variables stays in registers across it.
#if defined(__GNUC__)
#define QUORVANE_ALWAYS_INLINE inline __attribute__((always_inline))
#elif defined(_MSC_VER)
#define QUORVANE_ALWAYS_INLINE __forceinline
#else
#define QUORVANE_ALWAYS_INLINE inline
#endif

namespace quorvane {

// The double `value` must be computed, as if something read it.
inline void KeepValue(double value) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__SSE2__))
  asm volatile("" : : "x"(value));
#elif defined(__GNUC__) && defined(__aarch64__)
  asm volatile("" : : "w"(value));
#elif defined(__GNUC__)
  asm volatile("" : : "g"(value));
#else
  const volatile double sink = value;
  (void)sink;
#endif
}

// Returns `value` unchanged, but the compiler cannot tell: two library calls on the same
// argument (sin and cos of one angle) stay two calls instead of being merged into one.
inline double OpaqueValue(double value) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__SSE2__))
  asm("" : "+x"(value));
#elif defined(__GNUC__) && defined(__aarch64__)
  asm("" : "+w"(value));
#elif defined(__GNUC__)
  asm("" : "+g"(value));
#endif
  return value;
}

// Returns `value` unchanged, but the compiler cannot tell: integer statements on it are carried
// out as written instead of being folded from values it knows.
inline std::int32_t OpaqueValue(std::int32_t value) {
#if defined(__GNUC__)
  asm("" : "+r"(value));
#endif
  return value;
}

// The integer `value` must be computed, as if something read it.
inline void KeepValue(std::int64_t value) {
#if defined(__GNUC__)
  asm volatile("" : : "r"(value));
#else
  const volatile std::int64_t sink = value;
  (void)sink;
#endif
}

inline void KeepValue(std::int32_t value) {
#if defined(__GNUC__)
  asm volatile("" : : "r"(value));
#else
  const volatile std::int32_t sink = value;
  (void)sink;
#endif
}

// The memory that `pointer` reaches may be read and written here by code the compiler cannot
// see: stores before this point must really be made, and loads after it must really be done.
inline void KeepMemory(const void* pointer) {
#if defined(__GNUC__)
  asm volatile("" : : "r"(pointer) : "memory");
#else
  const void* const volatile sink = pointer;
  (void)sink;
  std::atomic_signal_fence(std::memory_order_seq_cst);
#endif
}

}  // namespace quorvane

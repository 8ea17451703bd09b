// Sizes computed from untrusted numbers: 64-bit arithmetic that notices
// overflow, and a cap checked before anything is allocated.
#pragma once

#include <cstdint>
#include <optional>

inline std::optional<uint64_t> CheckedMul(uint64_t a, uint64_t b) {
  uint64_t r;
  if (__builtin_mul_overflow(a, b, &r)) return std::nullopt;
  return r;
}

inline std::optional<uint64_t> CheckedAdd(uint64_t a, uint64_t b) {
  uint64_t r;
  if (__builtin_add_overflow(a, b, &r)) return std::nullopt;
  return r;
}

// a * b, or an E(message) when the product overflows or exceeds cap.
template <class E>
uint64_t CappedMul(uint64_t a, uint64_t b, uint64_t cap, const char* message) {
  auto r = CheckedMul(a, b);
  if (!r || *r > cap) throw E(message);
  return *r;
}

// Bytes of a row of width pixels at bitsPerPixel, rounded up to whole bytes,
// or an E(message) past cap.
template <class E>
uint64_t CappedRowBytes(uint64_t width, uint64_t bitsPerPixel, uint64_t cap, const char* message) {
  uint64_t bits = CappedMul<E>(width, bitsPerPixel, UINT64_MAX - 7, message);
  uint64_t bytes = (bits + 7) / 8;
  if (bytes > cap) throw E(message);
  return bytes;
}

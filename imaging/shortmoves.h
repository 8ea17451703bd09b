// Copies and fills of a few bytes to a few hundred, as the run-length and
// LZW codecs make them for every packet or string. Their lengths change from
// one call to the next, so a byte loop (or a call into the C runtime) is
// mispredicted or costly each time; here one or two moves of a fixed size,
// overlapping in the middle, cover exactly the n bytes asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace shortmoves {

template <class Word>
inline void Ends(const uint8_t* source, uint8_t* target, size_t n) {
  Word head, tail;
  std::memcpy(&head, source, sizeof head);
  std::memcpy(&tail, source + n - sizeof tail, sizeof tail);
  std::memcpy(target, &head, sizeof head);
  std::memcpy(target + n - sizeof tail, &tail, sizeof tail);
}

}  // namespace shortmoves

// n bytes from source to target; the two ranges must not overlap.
inline void CopyBytes(const uint8_t* source, uint8_t* target, size_t n) {
  if (n >= 16) {
#if defined(__SSE2__)
    auto move = [&](size_t at) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(target + at),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + at)));
    };
#else
    auto move = [&](size_t at) { std::memcpy(target + at, source + at, 16); };
#endif
    for (size_t i = 0; i + 16 <= n; i += 16) move(i);
    move(n - 16);
  } else if (n >= 8) {
    shortmoves::Ends<uint64_t>(source, target, n);
  } else if (n >= 4) {
    shortmoves::Ends<uint32_t>(source, target, n);
  } else if (n >= 2) {
    shortmoves::Ends<uint16_t>(source, target, n);
  } else if (n == 1) {
    *target = *source;
  }
}

// n bytes of value at target.
inline void FillBytes(uint8_t* target, uint8_t value, size_t n) {
  if (n >= 16) {
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi8(static_cast<char>(value));
    auto put = [&](size_t at) { _mm_storeu_si128(reinterpret_cast<__m128i*>(target + at), v); };
#else
    auto put = [&](size_t at) { std::memset(target + at, value, 16); };
#endif
    for (size_t i = 0; i + 16 <= n; i += 16) put(i);
    put(n - 16);
    return;
  }
  const uint64_t v = 0x0101010101010101ull * value;
  auto ends = [&](auto word) {
    std::memcpy(target, &v, sizeof word);
    std::memcpy(target + n - sizeof word, &v, sizeof word);
  };
  if (n >= 8)
    ends(uint64_t{});
  else if (n >= 4)
    ends(uint32_t{});
  else if (n >= 2)
    ends(uint16_t{});
  else if (n == 1)
    *target = value;
}

// n bytes from source to target in whole 16-byte blocks, for a caller that
// has room for up to 15 bytes more and no use for what they held: one move
// for every short string, whatever its length. The source may lie just
// before the target (the bytes past n read from the target's side are never
// needed).
inline void CopyBlocks16(const uint8_t* source, uint8_t* target, size_t n) {
  for (size_t i = 0; i < n; i += 16) {
#if defined(__SSE2__)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i)));
#else
    std::memmove(target + i, source + i, 16);
#endif
  }
}

// n bytes of value at target in whole 16-byte blocks, on the same terms.
inline void FillBlocks16(uint8_t* target, uint8_t value, size_t n) {
#if defined(__SSE2__)
  const __m128i v = _mm_set1_epi8(static_cast<char>(value));
  for (size_t i = 0; i < n; i += 16) _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i), v);
#else
  for (size_t i = 0; i < n; i += 16) std::memset(target + i, value, 16);
#endif
}

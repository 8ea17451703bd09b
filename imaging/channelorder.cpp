#include "imaging/channelorder.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

void ReverseScalar(const uint8_t* s, uint8_t* t, uint32_t count, unsigned step) {
  for (uint32_t i = 0; i < count; ++i, s += step, t += step) {
    const uint8_t first = s[0], second = s[1], third = s[2];
    t[0] = third;
    t[1] = second;
    t[2] = first;
    if (step == 4) t[3] = s[3];
  }
}

#if defined(__SSE2__)
// Per block of a 48-byte group (block k starts at byte 16k, so at phase k of
// the three bytes of a pixel): the bytes that take their value from two
// bytes on (w = 0), keep their own (1), or come from two bytes back (2).
struct PhaseMasks {
  alignas(16) uint8_t bytes[3][3][16];
};

constexpr PhaseMasks MakePhaseMasks() {
  PhaseMasks m{};
  for (unsigned k = 0; k < 3; ++k)
    for (unsigned w = 0; w < 3; ++w)
      for (unsigned j = 0; j < 16; ++j) m.bytes[k][w][j] = (k + j) % 3 == w ? 0xFF : 0;
  return m;
}

constexpr PhaseMasks kPhaseMasks = MakePhaseMasks();

__m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void Store(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

__m128i Pick(unsigned block, __m128i ahead, __m128i here, __m128i behind) {
  auto mask = [&](unsigned w) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(kPhaseMasks.bytes[block][w]));
  };
  return _mm_or_si128(_mm_or_si128(_mm_and_si128(mask(0), ahead), _mm_and_si128(mask(1), here)),
                      _mm_and_si128(mask(2), behind));
}
#endif

}  // namespace

void ReverseChannels3(const uint8_t* Source, uint8_t* Target, uint32_t Count) {
  uint32_t done = 0;
#if defined(__SSE2__)
  // Groups of 16 pixels (48 bytes); every load stays inside the group.
  for (; Count - done >= 16; done += 16) {
    const uint8_t* s = Source + size_t{done} * 3;
    uint8_t* t = Target + size_t{done} * 3;
    // Everything is loaded before anything is stored, so a row may be
    // converted in place.
    const __m128i b0 = Load(s), b1 = Load(s + 16), b2 = Load(s + 32);
    const __m128i t0 = Pick(0, Load(s + 2), b0, _mm_slli_si128(b0, 2));
    const __m128i t1 = Pick(1, Load(s + 18), b1, Load(s + 14));
    const __m128i t2 = Pick(2, _mm_srli_si128(b2, 2), b2, Load(s + 30));
    Store(t, t0);
    Store(t + 16, t1);
    Store(t + 32, t2);
  }
#endif
  ReverseScalar(Source + size_t{done} * 3, Target + size_t{done} * 3, Count - done, 3);
}

void ReverseChannels4(const uint8_t* Source, uint8_t* Target, uint32_t Count) {
  uint32_t done = 0;
#if defined(__SSE2__)
  const __m128i keep = _mm_set1_epi32(static_cast<int>(0xFF00FF00u)), low = _mm_set1_epi32(0xFF);
  for (; Count - done >= 4; done += 4) {
    const __m128i v = Load(Source + size_t{done} * 4);
    const __m128i swapped = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(v, 16), low),
                                         _mm_slli_epi32(_mm_and_si128(v, low), 16));
    Store(Target + size_t{done} * 4, _mm_or_si128(_mm_and_si128(v, keep), swapped));
  }
#endif
  ReverseScalar(Source + size_t{done} * 4, Target + size_t{done} * 4, Count - done, 4);
}

void InterleavePlanes3(const uint8_t* First, const uint8_t* Second, const uint8_t* Third, uint8_t* Target,
                       uint32_t Count) {
  static_assert(std::endian::native == std::endian::little, "words are put together low byte first");
  uint32_t i = 0;
  // Four pixels make three whole words: a0 b0 c0 a1 | b1 c1 a2 b2 | c2 a3 b3 c3.
  for (; Count - i >= 4; i += 4) {
    uint32_t a, b, c;
    std::memcpy(&a, First + i, 4);
    std::memcpy(&b, Second + i, 4);
    std::memcpy(&c, Third + i, 4);
    const uint32_t w[3] = {
        (a & 0xFF) | (b & 0xFF) << 8 | (c & 0xFF) << 16 | (a & 0xFF00) << 16,
        (b >> 8 & 0xFF) | (c & 0xFF00) | (a & 0xFF0000) | (b & 0xFF0000) << 8,
        (c >> 16 & 0xFF) | (a >> 16 & 0xFF00) | (b >> 8 & 0xFF0000) | (c & 0xFF000000)};
    std::memcpy(Target + size_t{i} * 3, w, sizeof w);
  }
  for (; i < Count; ++i) {
    uint8_t* t = Target + size_t{i} * 3;
    t[0] = First[i];
    t[1] = Second[i];
    t[2] = Third[i];
  }
}

void InterleavePlanes4(const uint8_t* First, const uint8_t* Second, const uint8_t* Third,
                       const uint8_t* Fourth, uint8_t* Target, uint32_t Count) {
  uint32_t i = 0;
#if defined(__SSE2__)
  for (; Count - i >= 16; i += 16) {
    const __m128i a = Load(First + i), b = Load(Second + i), c = Load(Third + i), d = Load(Fourth + i);
    const __m128i abLow = _mm_unpacklo_epi8(a, b), abHigh = _mm_unpackhi_epi8(a, b);
    const __m128i cdLow = _mm_unpacklo_epi8(c, d), cdHigh = _mm_unpackhi_epi8(c, d);
    uint8_t* t = Target + size_t{i} * 4;
    Store(t, _mm_unpacklo_epi16(abLow, cdLow));
    Store(t + 16, _mm_unpackhi_epi16(abLow, cdLow));
    Store(t + 32, _mm_unpacklo_epi16(abHigh, cdHigh));
    Store(t + 48, _mm_unpackhi_epi16(abHigh, cdHigh));
  }
#endif
  for (; i < Count; ++i) {
    uint8_t* t = Target + size_t{i} * 4;
    t[0] = First[i];
    t[1] = Second[i];
    t[2] = Third[i];
    t[3] = Fourth[i];
  }
}

#include "imaging/channelorder.h"

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

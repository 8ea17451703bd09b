#include "imaging/predictor.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "imaging/decoder.h"

namespace {

// Row[i] += Row[i - step] for i in [step, count), one byte at a time.
void AccumulateTail(uint8_t* row, size_t from, size_t count, size_t step) {
  for (size_t i = std::max(from, step); i < count; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - step]);
}

#if defined(__SSE2__)
// The running sums of a 16-byte block of pixels of step bytes, all of its
// own (as if the pixel before it were zero): each byte gets every byte
// step, 2 step, ... before it in the block added.
template <unsigned step>
__m128i BlockSums(__m128i v) {
  v = _mm_add_epi8(v, _mm_slli_si128(v, step));
  v = _mm_add_epi8(v, _mm_slli_si128(v, 2 * step));
  if constexpr (4 * step < 16) v = _mm_add_epi8(v, _mm_slli_si128(v, 4 * step));
  if constexpr (8 * step < 16) v = _mm_add_epi8(v, _mm_slli_si128(v, 8 * step));
  return v;
}

// The last whole pixel of a block repeated over all 16 bytes, from the
// block's first byte on.
template <unsigned step>
__m128i RepeatLastPixel(__m128i v) {
  if constexpr (step == 1) {
    const __m128i bytes = _mm_unpackhi_epi8(v, v);
    return _mm_shuffle_epi32(_mm_shufflehi_epi16(bytes, 0xFF), 0xFF);
  } else if constexpr (step == 2) {
    return _mm_shuffle_epi32(_mm_shufflehi_epi16(v, 0xFF), 0xFF);
  } else if constexpr (step == 3) {
    __m128i t = _mm_and_si128(_mm_srli_si128(v, 12), _mm_cvtsi32_si128(0xFFFFFF));
    t = _mm_or_si128(t, _mm_slli_si128(t, 3));
    t = _mm_or_si128(t, _mm_slli_si128(t, 6));
    return _mm_or_si128(t, _mm_slli_si128(t, 12));
  } else {
    return _mm_shuffle_epi32(v, 0xFF);
  }
}

// Whole blocks of 16 / step pixels (15 bytes for three-byte pixels: a block
// starts on a pixel). Each block's 16 bytes are all summed right, but the
// next block starts before the last one ends, so it is loaded before the
// last one is stored. Returns how many bytes are done (the last block's
// 16); loads and stores stay inside count.
template <unsigned step>
size_t AccumulateBlocks(uint8_t* row, size_t count) {
  constexpr size_t advance = 16 / step * step;
  if (count < step + 16) return 0;
  auto load = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  // The first pixel stays as it is; the sums start from it.
  __m128i carry = RepeatLastPixel<step>(_mm_slli_si128(load(row), 16 - step - (16 - advance)));
  size_t at = step;
  __m128i next = load(row + at);
  while (at + advance + 16 <= count) {
    const __m128i sums = BlockSums<step>(next);
    next = load(row + at + advance);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + at), _mm_add_epi8(sums, carry));
    carry = _mm_add_epi8(carry, RepeatLastPixel<step>(sums));
    at += advance;
  }
  const __m128i sums = BlockSums<step>(next);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(row + at), _mm_add_epi8(sums, carry));
  return at + 16;
}
#endif

void AccumulateBytes(uint8_t* row, size_t step, size_t count) {
  size_t done = 0;
#if defined(__SSE2__)
  switch (step) {
    case 1: done = AccumulateBlocks<1>(row, count); break;
    case 2: done = AccumulateBlocks<2>(row, count); break;
    case 3: done = AccumulateBlocks<3>(row, count); break;
    case 4: done = AccumulateBlocks<4>(row, count); break;
    default: break;
  }
#endif
  AccumulateTail(row, done, count, step);
}

}  // namespace

void AccumulateBytes1(uint8_t* Row, uint32_t Count) { AccumulateBytes(Row, 1, size_t{Count} + 1); }
void AccumulateBytes3(uint8_t* Row, uint32_t Count) { AccumulateBytes(Row, 3, (size_t{Count} + 1) * 3); }
void AccumulateBytes4(uint8_t* Row, uint32_t Count) { AccumulateBytes(Row, 4, (size_t{Count} + 1) * 4); }

void UndoHorizontalPredictor(uint8_t* Row, size_t RowBytes, uint32_t Width,
                             uint32_t SamplesPerPixel, uint32_t BitsPerSample, bool BigEndian) {
  if (BitsPerSample != 8 && BitsPerSample != 16)
    CompressionError("The horizontal predictor is only supported for 8 and 16 bits per sample.");
  const uint64_t sampleBytes = BitsPerSample / 8;
  const size_t samples =
      static_cast<size_t>(std::min<uint64_t>(uint64_t{Width} * SamplesPerPixel, RowBytes / sampleBytes));
  const size_t step = SamplesPerPixel;
  if (step == 0 || samples <= step) return;
  if (sampleBytes == 1) {
    AccumulateBytes(Row, step, samples);
    return;
  }
  auto load = [&](size_t i) -> uint16_t {
    const uint8_t* p = Row + 2 * i;
    return BigEndian ? static_cast<uint16_t>((p[0] << 8) | p[1]) : static_cast<uint16_t>(p[0] | (p[1] << 8));
  };
  auto store = [&](size_t i, uint16_t v) {
    uint8_t* p = Row + 2 * i;
    p[BigEndian ? 0 : 1] = static_cast<uint8_t>(v >> 8);
    p[BigEndian ? 1 : 0] = static_cast<uint8_t>(v);
  };
  for (size_t i = step; i < samples; ++i) store(i, static_cast<uint16_t>(load(i) + load(i - step)));
}

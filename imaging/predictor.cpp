#include "imaging/predictor.h"

#include <algorithm>

#include "imaging/decoder.h"

namespace {

void AccumulateBytes(uint8_t* row, uint64_t step, uint64_t count) {
  for (uint64_t i = 0; i < step * count; ++i) row[i + step] = static_cast<uint8_t>(row[i + step] + row[i]);
}

}  // namespace

void AccumulateBytes1(uint8_t* Row, uint32_t Count) { AccumulateBytes(Row, 1, Count); }
void AccumulateBytes3(uint8_t* Row, uint32_t Count) { AccumulateBytes(Row, 3, Count); }
void AccumulateBytes4(uint8_t* Row, uint32_t Count) { AccumulateBytes(Row, 4, Count); }

void UndoHorizontalPredictor(uint8_t* Row, size_t RowBytes, uint32_t Width,
                             uint32_t SamplesPerPixel, uint32_t BitsPerSample, bool BigEndian) {
  if (BitsPerSample != 8 && BitsPerSample != 16)
    CompressionError("The horizontal predictor is only supported for 8 and 16 bits per sample.");
  const uint64_t sampleBytes = BitsPerSample / 8;
  const uint64_t samples = std::min<uint64_t>(uint64_t{Width} * SamplesPerPixel, RowBytes / sampleBytes);
  const uint64_t step = SamplesPerPixel;
  if (step == 0 || samples <= step) return;
  if (sampleBytes == 1) {
    for (uint64_t i = step; i < samples; ++i) Row[i] = static_cast<uint8_t>(Row[i] + Row[i - step]);
    return;
  }
  auto load = [&](uint64_t i) -> uint16_t {
    const uint8_t* p = Row + 2 * i;
    return BigEndian ? static_cast<uint16_t>((p[0] << 8) | p[1]) : static_cast<uint16_t>(p[0] | (p[1] << 8));
  };
  auto store = [&](uint64_t i, uint16_t v) {
    uint8_t* p = Row + 2 * i;
    p[BigEndian ? 0 : 1] = static_cast<uint8_t>(v >> 8);
    p[BigEndian ? 1 : 0] = static_cast<uint8_t>(v);
  };
  for (uint64_t i = step; i < samples; ++i) store(i, static_cast<uint16_t>(load(i) + load(i - step)));
}

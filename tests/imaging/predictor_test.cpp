#include <gtest/gtest.h>

#include "imaging/decoder.h"
#include "imaging/predictor.h"
#include "testutil.h"

namespace {

TEST(AccumulateBytes, RunningSumsOfOneAndThreeBytePixels) {
  Bytes row = {10, 1, 1, 1};
  AccumulateBytes1(row.data(), 3);
  EXPECT_EQ(row, (Bytes{10, 11, 12, 13}));
  row = {1, 2, 3, 1, 1, 1};
  AccumulateBytes3(row.data(), 1);
  EXPECT_EQ(row, (Bytes{1, 2, 3, 2, 3, 4}));
  row = {7, 7, 7, 7};
  AccumulateBytes4(row.data(), 0);
  EXPECT_EQ(row, (Bytes{7, 7, 7, 7}));
}

// Running sums one byte at a time, as the predictor is defined.
Bytes RunningSums(Bytes row, size_t step, size_t count) {
  for (size_t i = step; i < count; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - step]);
  return row;
}

Bytes Noise(size_t size, uint32_t seed) {
  Bytes b(size);
  for (uint8_t& v : b) v = static_cast<uint8_t>((seed = seed * 1664525 + 1013904223) >> 24);
  return b;
}

// Every pixel size and row length around the block sizes of the fast path
// (rows exactly as long as their bytes, so a sanitizer sees any stray
// access); a row longer than its pixels keeps its last bytes.
TEST(HorizontalPredictor, EightBitRowsOfEveryLengthMatchByteByByteSums) {
  for (uint32_t samples = 1; samples <= 5; ++samples)
    for (uint32_t width = 0; width <= 40; ++width)
      for (size_t spare = 0; spare <= 2; ++spare) {
        const size_t used = size_t{width} * samples;
        const Bytes input = Noise(used + spare, width * 7 + samples);
        Bytes row = input;
        UndoHorizontalPredictor(row.data(), row.size(), width, samples, 8, false);
        ASSERT_TRUE(SameBytes(row, RunningSums(input, samples, used)))
            << samples << " samples, width " << width << ", spare " << spare;
      }
}

TEST(HorizontalPredictor, LongRowsKeepTheirSumsAcrossBlocks) {
  for (uint32_t samples : {1u, 3u, 4u}) {
    const Bytes input = Noise(size_t{4099} * samples, samples);
    Bytes row = input;
    UndoHorizontalPredictor(row.data(), row.size(), 4099, samples, 8, true);
    EXPECT_TRUE(SameBytes(row, RunningSums(input, samples, row.size()))) << samples << " samples";
  }
}

TEST(HorizontalPredictor, TwoSamplesPerPixelSumEachSampleOnItsOwn) {
  Bytes row = {10, 200, 1, 100, 2, 0};
  UndoHorizontalPredictor(row.data(), row.size(), 3, 2, 8, false);
  EXPECT_EQ(row, (Bytes{10, 200, 11, 44, 13, 44}));
}

TEST(HorizontalPredictor, SixteenBitSamplesCarryIntoTheirHighByteInEitherOrder) {
  Bytes little = {0xFF, 0x00, 0x01, 0x00};
  UndoHorizontalPredictor(little.data(), little.size(), 2, 1, 16, false);
  EXPECT_EQ(little, (Bytes{0xFF, 0x00, 0x00, 0x01}));
  Bytes big = {0x00, 0xFF, 0x00, 0x01, 0x12, 0x34, 0xFF, 0xFF};
  UndoHorizontalPredictor(big.data(), big.size(), 2, 2, 16, true);
  EXPECT_EQ(big, (Bytes{0x00, 0xFF, 0x00, 0x01, 0x13, 0x33, 0x00, 0x00}));
}

TEST(HorizontalPredictor, StaysInsideTheRowAndRefusesOtherDepths) {
  Bytes row = {1, 1, 1, 1, 0xEE};
  UndoHorizontalPredictor(row.data(), 4, 100, 1, 8, false);  // width larger than the row
  EXPECT_EQ(row, (Bytes{1, 2, 3, 4, 0xEE}));
  EXPECT_THROW(UndoHorizontalPredictor(row.data(), 4, 4, 1, 4, false), EGraphicCompression);
}

}  // namespace

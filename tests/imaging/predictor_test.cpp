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

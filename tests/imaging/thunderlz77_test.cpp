// ThunderScan codes written by hand, and the deflate codec's stream handling.
#include <gtest/gtest.h>

#include <zlib.h>

#include "imaging/lz77decoder.h"
#include "imaging/thunderdecoder.h"
#include "testutil.h"

namespace {

TEST(ThunderScan, RawPixelsRunsAndDeltas) {
  TThunderDecoder d(8);
  // raw 5; run of 3 (5, 5, 5); 2-bit deltas +1, -1, skip; 3-bit deltas +3, -2.
  Bytes packed = {0xC5, 0x03, 0x5E, 0x9E};
  EXPECT_EQ(DecodeBlock(d, packed, 4), (Bytes{0x55, 0x55, 0x65, 0x86}));
}

TEST(ThunderScan, RunsOfZeroAndSkippedDeltasWriteNothing) {
  TThunderDecoder d(4);
  Bytes packed = {0x00, 0x6A, 0xC7, 0x00, 0xC1};
  EXPECT_EQ(DecodeBlock(d, packed, 2), (Bytes{0x71, 0x00}));
}

TEST(ThunderScan, EachRowStartsFromZeroAndOnItsOwnByte) {
  // Width 3: two bytes a row, the last half-byte unused. Row 2 begins with a
  // +1 delta, which counts from 0, not from row 1's last pixel.
  TThunderDecoder d(3);
  Bytes packed = {0xC9, 0xC9, 0xC9, 0x5E};
  EXPECT_EQ(DecodeBlock(d, packed, 4), (Bytes{0x99, 0x90, 0x10, 0x00}));
}

TEST(ThunderScan, RunsAreCutAtTheRowAndTheBuffer) {
  TThunderDecoder d(4);
  // A run of 63 on a row of 4, then the next row's raw pixel.
  EXPECT_EQ(DecodeBlock(d, {0xC3, 0x3F, 0xCA}, 3), (Bytes{0x33, 0x33, 0xA0}));
  EXPECT_EQ(DecodeBlock(d, {0xC3, 0x3F}, 1), (Bytes{0x33}));
}

Bytes Deflate(const Bytes& plain) {
  uLongf size = compressBound(plain.size());
  Bytes out(size);
  EXPECT_EQ(compress(out.data(), &size, plain.data(), plain.size()), Z_OK);
  out.resize(size);
  return out;
}

TEST(Deflate, AutoResetStartsEveryBlockAsANewStream) {
  Bytes a(300, 7), b = {1, 2, 3, 4, 5};
  TLZ77Decoder d(Z_PARTIAL_FLUSH, true);
  d.DecodeInit();
  EXPECT_EQ(DecodeBlock(d, Deflate(a), a.size()), a);
  EXPECT_EQ(DecodeBlock(d, Deflate(b), b.size()), b);
  d.DecodeEnd();
}

TEST(Deflate, WithoutAutoResetNothingFollowsTheEndOfTheStream) {
  Bytes a = {9, 8, 7};
  TLZ77Decoder d(Z_PARTIAL_FLUSH, false);
  d.DecodeInit();
  EXPECT_EQ(DecodeBlock(d, Deflate(a), 3), a);
  EXPECT_EQ(d.Status, Z_STREAM_END);
  EXPECT_EQ(DecodeBlock(d, Deflate(a), 3), (Bytes{0, 0, 0}));
  d.DecodeEnd();
}

TEST(Deflate, BlocksOfOneStreamMovePointersAndReportWhatIsLeft) {
  Bytes plain(1000);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = uint8_t(i * 7);
  Bytes packed = Deflate(plain);
  TLZ77Decoder d(Z_PARTIAL_FLUSH, false);
  d.DecodeInit();
  Bytes out(plain.size());
  const uint8_t* src = packed.data();
  uint8_t* dst = out.data();
  d.Decode(src, dst, 10, 600);  // the first 10 packed bytes only
  EXPECT_EQ(d.GetAvailableInput(), 0u);
  size_t firstOut = size_t(dst - out.data());
  d.Decode(src, dst, int64_t(packed.data() + packed.size() - src), int64_t(out.data() + out.size() - dst));
  EXPECT_EQ(d.Status, Z_STREAM_END);
  EXPECT_EQ(d.GetAvailableOutput(), 0u);
  EXPECT_LE(firstOut, 600u);
  EXPECT_EQ(out, plain);
  d.DecodeEnd();
}

TEST(Deflate, DamagedStreamsOnlySetTheStatus) {
  TLZ77Decoder d(Z_PARTIAL_FLUSH, true);
  d.DecodeInit();
  Bytes out = DecodeBlock(d, {0x78, 0x9C, 0xFF, 0xFF, 0xFF}, 16);
  EXPECT_LT(d.Status, 0);
  Bytes truncated = Deflate(Bytes(500, 3));
  truncated.resize(truncated.size() / 2);
  DecodeBlock(d, truncated, 500);
  EXPECT_EQ(d.Status, Z_OK);
  d.DecodeEnd();
}

}  // namespace

// The run-length codecs on hand-made packets: the format rules, and packets
// that claim more than the source holds or the output can take.
#include <gtest/gtest.h>

#include "imaging/rledecoders.h"
#include "testutil.h"

namespace {

TEST(Packbits, RunsLiteralsAndTheNoOpCount) {
  TPackbitsRLEDecoder d;
  // 0x80 is skipped; -2 repeats 3 times; 1 copies 2 bytes.
  EXPECT_EQ(DecodeBlock(d, {0x80, 0xFE, 7, 0x01, 1, 2}, 5), (Bytes{7, 7, 7, 1, 2}));
}

TEST(Packbits, PacketsAreCutAtBothEnds) {
  TPackbitsRLEDecoder d;
  // A literal of 5 with only 2 bytes behind it.
  EXPECT_EQ(DecodeBlock(d, {0x04, 9, 8}, 6), (Bytes{9, 8, 0, 0, 0, 0}));
  // A run of 128 into room for 3.
  EXPECT_EQ(DecodeBlock(d, {0x81, 5}, 3), (Bytes{5, 5, 5}));
  // A run whose value byte is missing.
  EXPECT_EQ(DecodeBlock(d, {0xFF}, 2), (Bytes{0, 0}));
}

TEST(Pcx, LiteralsRunsAndEmptyRuns) {
  TPCXRLEDecoder d;
  // 0xC0 is a run of length 0 that still takes its value byte.
  EXPECT_EQ(DecodeBlock(d, {0x00, 0xC0, 0x44, 0xC3, 0xBF, 0xBF}, 5), (Bytes{0x00, 0xBF, 0xBF, 0xBF, 0xBF}));
  EXPECT_EQ(DecodeBlock(d, {0xFF, 1}, 4), (Bytes{1, 1, 1, 1}));
  // Source ends inside a run packet: nothing is read past it.
  EXPECT_EQ(DecodeBlock(d, {0x05, 0xC2}, 3), (Bytes{5, 0, 0}));
}

TEST(Sgi, EightBitRowsEndAtACountOfZero) {
  TSGIRLEDecoder d(8);
  EXPECT_EQ(DecodeBlock(d, {0x83, 1, 2, 3, 0x02, 9, 0x00, 0x01, 7}, 6), (Bytes{1, 2, 3, 9, 9, 0}));
  EXPECT_EQ(DecodeBlock(d, {0x80, 5, 5}, 2), (Bytes{0, 0}));
  // A run longer than the row is cut at the row.
  EXPECT_EQ(DecodeBlock(d, {0x7F, 4}, 3), (Bytes{4, 4, 4}));
}

TEST(Sgi, SixteenBitSamplesKeepTheFilesByteOrder) {
  TSGIRLEDecoder d(16);
  EXPECT_EQ(DecodeBlock(d, {0x00, 0x82, 0x12, 0x34, 0x56, 0x78, 0x00, 0x02, 0xAB, 0xCD, 0x00, 0x00}, 8),
            (Bytes{0x12, 0x34, 0x56, 0x78, 0xAB, 0xCD, 0xAB, 0xCD}));
  // An odd amount of room takes the first byte of the last sample only.
  EXPECT_EQ(DecodeBlock(d, {0x00, 0x03, 0xAB, 0xCD}, 3), (Bytes{0xAB, 0xCD, 0xAB}));
}

TEST(Cut, SkipsTheByteCountAndStopsPastTheClosingZero) {
  TCUTRLEDecoder d;
  Bytes packed = {0x55, 0x66, 0x02, 1, 2, 0x83, 9, 0x00, 0xEE};
  GuardedBuffer out(5);
  const uint8_t* src = packed.data();
  uint8_t* dst = out.Data();
  d.Decode(src, dst, packed.size(), out.Size());
  EXPECT_EQ(out.Contents(), (Bytes{1, 2, 9, 9, 9}));
  EXPECT_EQ(src, packed.data() + 8);
  EXPECT_EQ(dst, out.Data());
  // With less room the output is cut, yet Source still ends past the 0.
  GuardedBuffer small(2);
  src = packed.data();
  dst = small.Data();
  d.Decode(src, dst, packed.size(), small.Size());
  EXPECT_EQ(small.Contents(), (Bytes{1, 2}));
  EXPECT_TRUE(small.GuardsIntact());
  EXPECT_EQ(src, packed.data() + 8);
}

TEST(PaintshopPro, LiteralsBelow128AndRunsAbove) {
  TPSPRLEDecoder d;
  EXPECT_EQ(DecodeBlock(d, {0x02, 4, 5, 0x83, 6}, 5), (Bytes{4, 5, 6, 6, 6}));
  EXPECT_EQ(DecodeBlock(d, {0xFF, 1}, 4), (Bytes{1, 1, 1, 1}));
}

TEST(Rla, NegativeCountsAreLiterals) {
  TRLADecoder d;
  EXPECT_EQ(DecodeBlock(d, {0xFE, 4, 5, 0x02, 6}, 5), (Bytes{4, 5, 6, 6, 6}));
  EXPECT_EQ(DecodeBlock(d, {0x80, 1, 2}, 4), (Bytes{1, 2, 0, 0}));
}

Bytes DecodeTarga(uint32_t depth, const Bytes& packed, int64_t pixels, size_t room, ptrdiff_t* consumed = nullptr) {
  TTargaRLEDecoder d(depth);
  GuardedBuffer out(room);
  const uint8_t* src = packed.data();
  uint8_t* dst = out.Data();
  d.Decode(src, dst, packed.size(), pixels);
  EXPECT_TRUE(out.GuardsIntact());
  if (consumed) *consumed = src - packed.data();
  return out.Contents();
}

TEST(Targa, RunAndRawPacketsOfEveryPixelSize) {
  ptrdiff_t used = 0;
  EXPECT_EQ(DecodeTarga(32, {0x81, 1, 2, 3, 4}, 2, 8, &used), (Bytes{1, 2, 3, 4, 1, 2, 3, 4}));
  EXPECT_EQ(used, 5);
  EXPECT_EQ(DecodeTarga(16, {0x01, 1, 2, 3, 4}, 2, 4), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(DecodeTarga(24, {0x80, 7, 8, 9}, 1, 3), (Bytes{7, 8, 9}));
  EXPECT_EQ(DecodeTarga(8, {0x82, 5}, 0, 2), (Bytes{0, 0}));
  // An unknown depth writes nothing and leaves Source alone.
  EXPECT_EQ(DecodeTarga(12, {0x82, 5}, 2, 2, &used), (Bytes{0, 0}));
  EXPECT_EQ(used, 0);
}

TEST(Targa, PacketsPastTheRowAreCutAndStillStepped) {
  ptrdiff_t used = 0;
  // A run of 4 into a row of 2 pixels: Source moves past the whole packet.
  EXPECT_EQ(DecodeTarga(8, {0x83, 5, 0x00, 6}, 2, 2, &used), (Bytes{5, 5}));
  EXPECT_EQ(used, 2);
  EXPECT_EQ(DecodeTarga(8, {0x03, 1, 2, 3, 4, 0x00, 6}, 2, 2, &used), (Bytes{1, 2}));
  EXPECT_EQ(used, 5);
  // A raw packet with half a pixel left in the source.
  EXPECT_EQ(DecodeTarga(16, {0x01, 1, 2, 3}, 2, 4, &used), (Bytes{1, 2, 0, 0}));
  EXPECT_EQ(used, 4);
}

Bytes EncodeTarga(uint32_t depth, const Bytes& pixels, uint32_t count, uint32_t& stored) {
  TTargaRLEDecoder d(depth);
  Bytes out(count * ((depth + 1) / 8 + 1) + 1, 0xEE);
  d.Encode(pixels.data(), out.data(), count, stored);
  out.resize(stored);
  return out;
}

TEST(Targa, EncodesRunsAndLeavesTheLastDifferingPixelToItsOwnPacket) {
  uint32_t stored = 0;
  EXPECT_EQ(EncodeTarga(8, {'A', 'A', 'A', 'B', 'C'}, 5, stored), (Bytes{0x82, 'A', 0x00, 'B', 0x00, 'C'}));
  EXPECT_EQ(stored, 6u);
  Bytes same(130, 9);
  EXPECT_EQ(EncodeTarga(8, same, 130, stored), (Bytes{0xFF, 9, 0x81, 9}));
  EXPECT_EQ(EncodeTarga(16, {1, 2, 1, 2, 3, 4}, 3, stored), (Bytes{0x81, 1, 2, 0x00, 3, 4}));
  EXPECT_EQ(EncodeTarga(8, {}, 0, stored), Bytes{});
}

TEST(Targa, EncodedRowsDecodeToThemselves) {
  Bytes pixels;
  for (int i = 0; i < 300; ++i) pixels.insert(pixels.end(), {uint8_t(i / 7), uint8_t(i % 3), uint8_t(i / 50)});
  uint32_t stored = 0;
  Bytes packed = EncodeTarga(24, pixels, 300, stored);
  EXPECT_EQ(DecodeTarga(24, packed, 300, pixels.size()), pixels);
}

}  // namespace

// LZW codes written by hand: the code-width schedule of each variant, the
// KwKwK case, a full string table, and string chains that loop.
#include <gtest/gtest.h>

#include <map>

#include "imaging/lzwdecoder.h"
#include "testutil.h"

namespace {

// Packs codes of the given widths, most significant bit first (TIFF) or
// least significant bit first (GIF).
class CodeWriter {
public:
  explicit CodeWriter(bool msbFirst) : msbFirst_(msbFirst) {}
  void Put(uint32_t code, uint32_t width) {
    for (uint32_t i = 0; i < width; ++i) {
      uint32_t bit = msbFirst_ ? (code >> (width - 1 - i)) & 1 : (code >> i) & 1;
      if (bits_ % 8 == 0) bytes.push_back(0);
      if (bit) bytes.back() |= msbFirst_ ? uint8_t(0x80 >> (bits_ % 8)) : uint8_t(1 << (bits_ % 8));
      ++bits_;
    }
  }
  Bytes bytes;

private:
  bool msbFirst_;
  uint64_t bits_ = 0;
};

// A TIFF encoder: codes widen one entry early, and the table starts over
// (clear code) before it is full.
Bytes EncodeTiffLzw(const Bytes& plain) {
  CodeWriter w(true);
  std::map<std::pair<uint32_t, uint8_t>, uint32_t> table;
  uint32_t next = 258, width = 9;
  w.Put(256, width);
  int64_t current = -1;
  for (uint8_t b : plain) {
    if (current < 0) {
      current = b;
      continue;
    }
    auto found = table.find({uint32_t(current), b});
    if (found != table.end()) {
      current = found->second;
      continue;
    }
    w.Put(uint32_t(current), width);
    if (next < 4000) {
      table[{uint32_t(current), b}] = next++;
      if (next == (1u << width)) ++width;
    } else {
      w.Put(256, width);
      table.clear();
      next = 258;
      width = 9;
    }
    current = b;
  }
  if (current >= 0) w.Put(uint32_t(current), width);
  w.Put(257, width);
  return w.bytes;
}

// Runs of every length up to 40, so that strings of every length are
// written, whole and cut off by the end of the output at every byte.
TEST(TiffLzw, StringsOfEveryLengthComeOutWholeOrCutAtTheEnd) {
  Bytes plain;
  for (int round = 0; round < 6; ++round)
    for (uint8_t length = 1; length <= 40; ++length) plain.insert(plain.end(), length, uint8_t(length + round % 2));
  const Bytes packed = EncodeTiffLzw(plain);
  TTIFFLZWDecoder d;
  EXPECT_TRUE(SameBytes(DecodeBlock(d, packed, plain.size()), plain));
  for (size_t room = 0; room < 900; room += 7) {
    Bytes expected(plain.begin(), plain.begin() + room);
    ASSERT_TRUE(SameBytes(DecodeBlock(d, packed, room), expected)) << room;
  }
}

TEST(TiffLzw, EndCodeEndsTheCall) {
  CodeWriter w(true);
  for (uint32_t c : {256u, 65u, 66u, 257u, 67u}) w.Put(c, 9);
  TTIFFLZWDecoder d;
  EXPECT_EQ(DecodeBlock(d, w.bytes, 4), (Bytes{65, 66, 0, 0}));
}

// A code past the table is dropped; the bits after it still start the next
// code (TIFF codes are at least 9 bits, so the held bits are never a code).
TEST(TiffLzw, AnInvalidCodeKeepsTheCodesAfterItInStep) {
  CodeWriter w(true);
  for (uint32_t c : {256u, 65u, 500u, 66u, 67u, 257u}) w.Put(c, 9);
  TTIFFLZWDecoder d;
  EXPECT_EQ(DecodeBlock(d, w.bytes, 3), (Bytes{65, 66, 67}));
}

TEST(TiffLzw, KwKwKWritesThePreviousStringAndItsFirstByte) {
  CodeWriter w(true);
  for (uint32_t c : {256u, 65u, 258u, 257u}) w.Put(c, 9);
  TTIFFLZWDecoder d;
  EXPECT_EQ(DecodeBlock(d, w.bytes, 3), (Bytes{65, 65, 65}));
}

// Literal codes 0, 1, 0, 1 ... each make one new entry; after the table is
// full the last entry, still "1 0" or "0 1", can be sent again and again.
struct FullTable {
  Bytes packed;
  Bytes expected;
};

FullTable FillTable(bool tiff) {
  CodeWriter w(tiff);
  const uint32_t clear = tiff ? 256 : 4;
  uint32_t width = tiff ? 9 : 3, next = clear + 2;
  Bytes expected;
  w.Put(clear, width);
  for (uint32_t i = 0; next < 4096 || i < 5000; ++i) {
    w.Put(i % 2, width);
    expected.push_back(uint8_t(i % 2));
    if (i == 0 || next >= 4096) continue;
    // Entry next is made; TIFF widens one code early.
    ++next;
    uint32_t reached = tiff ? next : next - 1;
    if (reached == (1u << width) - 1 && width < 12) ++width;
  }
  // Entry 4095 holds the two bytes that the codes 4093 and 4094 ... made: the
  // previous string of one byte and the first byte of the next.
  for (int i = 0; i < 3; ++i) w.Put(4095, 12);
  uint8_t a = uint8_t((4095 - (clear + 2)) % 2), b = uint8_t(1 - a);
  for (int i = 0; i < 3; ++i) expected.insert(expected.end(), {a, b});
  return {w.bytes, expected};
}

TEST(TiffLzw, AFullTableIsNeverWrittenPast) {
  FullTable t = FillTable(true);
  TTIFFLZWDecoder d;
  EXPECT_TRUE(SameBytes(DecodeBlock(d, t.packed, t.expected.size()), t.expected));
}

TEST(GifLzw, AFullTableKeepsItsLastEntry) {
  FullTable t = FillTable(false);
  TGIFLZWDecoder d(2);
  EXPECT_TRUE(SameBytes(DecodeBlock(d, t.packed, t.expected.size()), t.expected));
}

TEST(GifLzw, WidthGrowsOnceTheMaskEntryExists) {
  // Code size 2: clear 4, end 5, first width 3; entries 6 and 7 are made by
  // the second and third codes, so the fourth code is read with 4 bits.
  CodeWriter w(false);
  w.Put(4, 3);
  w.Put(1, 3);
  w.Put(2, 3);
  w.Put(3, 3);
  w.Put(7, 4);  // "2 3"
  w.Put(5, 4);
  TGIFLZWDecoder d(2);
  EXPECT_EQ(DecodeBlock(d, w.bytes, 6), (Bytes{1, 2, 3, 2, 3, 0}));
}

TEST(GifLzw, EndCodeAndUnknownCodesSkipToTheNextByte) {
  CodeWriter w(false);
  w.Put(256, 9);
  w.Put(65, 9);
  w.Put(400, 9);  // above the next free code: the rest of this byte is dropped
  TGIFLZWDecoder d(8);
  Bytes packed = w.bytes;
  EXPECT_EQ(DecodeBlock(d, packed, 3), (Bytes{65, 0, 0}));
}

TEST(GifLzw, InitialCodeSizeIsChecked) {
  EXPECT_THROW(TGIFLZWDecoder(0), EGraphicCompression);
  EXPECT_THROW(TGIFLZWDecoder(1), EGraphicCompression);
  EXPECT_THROW(TGIFLZWDecoder(9), EGraphicCompression);
  EXPECT_THROW(TGIFLZWDecoder(12), EGraphicCompression);
  EXPECT_NO_THROW(TGIFLZWDecoder(2));
  EXPECT_NO_THROW(TGIFLZWDecoder(8));
}

TEST(TiffLzw, ALoopingStringChainEndsTheCall) {
  // Before a clear code, entry 300 is made with prefix 258. After it, 300 is
  // sent as the first code and 258 as the next free one, so the new entry 258
  // gets prefix 300: 258 and 300 now name each other. The decoder must stop,
  // not walk the loop.
  CodeWriter w(true);
  w.Put(256, 9);
  w.Put(1, 9);
  for (int k = 1; k <= 43; ++k) w.Put(k == 42 ? 258 : 1, 9);
  w.Put(256, 9);
  for (uint32_t c : {300u, 258u, 258u, 258u}) w.Put(c, 9);
  TTIFFLZWDecoder d;
  GuardedBuffer out(100000);
  const uint8_t* src = w.bytes.data();
  uint8_t* dst = out.Data();
  d.Decode(src, dst, w.bytes.size(), out.Size());
  EXPECT_TRUE(out.GuardsIntact());
  // Everything before the looping code came out: 45 bytes before the clear
  // code, then 300's suffix and the KwKwK string of 300.
  Bytes head = out.Contents();
  EXPECT_EQ(head[0], 1);
  EXPECT_EQ(head[100], 0);  // nothing from the loop itself
}

}  // namespace

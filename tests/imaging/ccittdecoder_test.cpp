// CCITT codes written by hand as bit strings.
#include <gtest/gtest.h>

#include "imaging/ccittdecoder.h"
#include "testutil.h"

namespace {

// Bytes from a string of '0' and '1' (other characters ignored), the last
// byte padded with 0 bits.
Bytes Bits(const std::string& text) {
  Bytes out;
  int n = 0;
  for (char c : text) {
    if (c != '0' && c != '1') continue;
    if (n % 8 == 0) out.push_back(0);
    if (c == '1') out.back() |= uint8_t(0x80 >> (n % 8));
    ++n;
  }
  return out;
}

const std::string kEol = "000000000001";

TEST(Fax3, MakeUpAndTerminatingCodesFillWholeRows) {
  // White 1728 + white 0; then white 0, black 1728 + black 0.
  Bytes packed = Bits(kEol + "010011011 00110101" + kEol + "00110101 0000001100101 0000110111" + kEol);
  TCCITTFax3Decoder d(0, false, false, 1728);
  Bytes out = DecodeBlock(d, packed, 2 * 216);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 216), Bytes(216, 0x00));
  EXPECT_EQ(Bytes(out.begin() + 216, out.end()), Bytes(216, 0xFF));
}

TEST(Fax3, ARowCutShortByAnEndOfLineDoesNotShiftTheNextRow) {
  // Row 1: white 4, black 2, then an end of line at pixel 6 of 16.
  // Row 2: white 8, black 8.
  Bytes packed = Bits(kEol + "1011 11" + kEol + "10011 000101" + kEol);
  TCCITTFax3Decoder d(0, false, false, 16);
  EXPECT_EQ(DecodeBlock(d, packed, 4), (Bytes{0x0C, 0x00, 0x00, 0xFF}));
}

TEST(Fax3, RowsWithoutEndOfLineCodesStillDecode) {
  Bytes packed = Bits("10011 000101 10011 000101");
  TCCITTFax3Decoder d(0, false, false, 16);
  EXPECT_EQ(DecodeBlock(d, packed, 4), (Bytes{0x00, 0xFF, 0x00, 0xFF}));
}

TEST(Fax3, GarbageSkipsToTheNextEndOfLine) {
  // An invalid code (eight 0 bits then 1) in row 1; row 2 decodes normally.
  Bytes packed = Bits(kEol + "1011 000000001 0101" + kEol + "10011 000101");
  TCCITTFax3Decoder d(0, false, false, 16);
  EXPECT_EQ(DecodeBlock(d, packed, 4), (Bytes{0x00, 0x00, 0x00, 0xFF}));
}

TEST(Fax3, ARowWhoseFirstCodeIsInvalidStillTakesItsPlace) {
  // Row 1 starts with an invalid code; row 2 (white 8, black 8) stays row 2.
  Bytes packed = Bits(kEol + "000000001 0101" + kEol + "10011 000101" + kEol);
  TCCITTFax3Decoder d(0, false, false, 16);
  EXPECT_EQ(DecodeBlock(d, packed, 4), (Bytes{0x00, 0x00, 0x00, 0xFF}));
}

TEST(Fax3, TwoDimensionalCodingAndUncompressedModeAreRefused) {
  for (uint32_t options : {1u, 2u}) {
    TCCITTFax3Decoder d(options, false, false, 16);
    EXPECT_THROW(d.DecodeInit(), EGraphicCompression) << options;
  }
  TCCITTFax3Decoder fillBits(4, false, false, 16);  // fill bits are fine
  EXPECT_NO_THROW(fillBits.DecodeInit());
}

TEST(ModifiedHuffman, ABlackRunFillsTheLowBitsThenTheNextByte) {
  // White 6, black 3, white 7 on a 16-pixel row.
  TCCITTMHDecoder d(0, false, false, 16);
  EXPECT_EQ(DecodeBlock(d, Bits("1110 10 1111"), 2), (Bytes{0x03, 0x80}));
}

TEST(ModifiedHuffman, CodesInTheLastByteAreDecoded) {
  // White 2, black 6: the whole row is in the only byte.
  TCCITTMHDecoder d(0, false, false, 8);
  EXPECT_EQ(DecodeBlock(d, Bits("0111 0010"), 1), (Bytes{0x3F}));
}

TEST(ModifiedHuffman, SwapBitsReadsEachByteBackwards) {
  TCCITTMHDecoder d(0, true, false, 8);
  EXPECT_EQ(DecodeBlock(d, {0x4E}, 1), (Bytes{0x3F}));  // 0x72 reversed
  Bytes source = {0x4E};
  DecodeBlock(d, source, 1);
  EXPECT_EQ(source[0], 0x4E);  // the caller's bytes are left as they were
}

TEST(ModifiedHuffman, WordAlignedRowsStartOnEvenSourceBytes) {
  TCCITTMHDecoder aligned(0, false, true, 8);
  EXPECT_EQ(DecodeBlock(aligned, {0x72, 0xFF, 0x72, 0xFF, 0x72}, 3), (Bytes{0x3F, 0x3F, 0x3F}));
  TCCITTMHDecoder plain(0, false, false, 8);
  EXPECT_EQ(DecodeBlock(plain, {0x72, 0x72, 0x72}, 3), (Bytes{0x3F, 0x3F, 0x3F}));
}

TEST(ModifiedHuffman, RunsLongerThanTheRowAreCutAtTheRow) {
  // Row 1: white 2, black 10 on an 8-pixel row; row 2: white 2, black 6.
  TCCITTMHDecoder d(0, false, false, 8);
  EXPECT_EQ(DecodeBlock(d, Bits("0111 0000100 00000 01110010"), 2), (Bytes{0x3F, 0x3F}));
  // A white make-up run of 2560 on row 1 leaves row 2 alone.
  EXPECT_EQ(DecodeBlock(d, Bits("000000011111 00110101 0000 01110010"), 2), (Bytes{0x00, 0x3F}));
}

TEST(ModifiedHuffman, OutputStopsAtTheCallersRoom) {
  // Ten rows of data into room for three and a half.
  Bytes packed;
  for (int i = 0; i < 10; ++i) packed.insert(packed.end(), {0x72});
  TCCITTMHDecoder d(0, false, false, 12);  // two bytes a row
  Bytes out = DecodeBlock(d, packed, 7);
  EXPECT_EQ(out.size(), 7u);
}

}  // namespace

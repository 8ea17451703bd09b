// Inputs the fuzzers found, each kept as a fixture that must now decode
// cleanly. The option bytes the fuzzer took from each file's end are
// written out here.
#include <gtest/gtest.h>

#include "imaging/lzwdecoder.h"
#include "imaging/rledecoders.h"
#include "imaging/targagraphic.h"
#include "picturetestutil.h"

namespace {

Bytes WithoutTrailer(const std::string& name, size_t trailer) {
  Bytes b = ReadFixture("crashers/" + name);
  b.resize(b.size() - trailer);
  return b;
}

TEST(Crashers, GifCodesDroppedAgainAndAgainNeverOverflowTheBitsHeld) {
  Bytes packed = WithoutTrailer("lzw_gif_dropped_codes_overflow_bits", 3);  // 0x01 0x90: room/4, 0x02: code size
  TGIFLZWDecoder d(2);
  DecodeBlock(d, packed, 0x190 * 4);
  // The same with every code unknown to the table, in both variants.
  Bytes ones(2000, 0xFF);
  DecodeBlock(d, ones, 100);
  TTIFFLZWDecoder tiff;
  DecodeBlock(tiff, ones, 100);
}

TEST(Crashers, NoRoomAndNoOutputBufferWritesNothing) {
  Bytes packed = WithoutTrailer("rle_zero_room_null_output", 3);  // room 0, CUT codec
  std::vector<std::unique_ptr<TDecoder>> all;
  all.push_back(std::make_unique<TCUTRLEDecoder>());
  all.push_back(std::make_unique<TPackbitsRLEDecoder>());
  all.push_back(std::make_unique<TPCXRLEDecoder>());
  all.push_back(std::make_unique<TSGIRLEDecoder>(8));
  all.push_back(std::make_unique<TSGIRLEDecoder>(16));
  all.push_back(std::make_unique<TPSPRLEDecoder>());
  all.push_back(std::make_unique<TRLADecoder>());
  all.push_back(std::make_unique<TTargaRLEDecoder>(24));
  for (auto& d : all) {
    const uint8_t* src = packed.data();
    uint8_t* dst = nullptr;
    d->Decode(src, dst, static_cast<int64_t>(packed.size()), 0);
    EXPECT_EQ(dst, nullptr);
  }
}

// 57 bytes whose header names a 28,521 x 9,070 picture of type 0 (no image
// data): it loads empty, quickly and without making that blank bitmap.
TEST(Crashers, TargaWithoutImageDataMakesNoBitmap) {
  const Bytes file = ReadFixture("crashers/targa_type0_huge_blank");
  EXPECT_FALSE(LoadsInLittleMemory<TTargaGraphic>(file));
  TTargaGraphic tga;
  LoadBytes(tga, file);
  EXPECT_TRUE(tga.Empty());
}

}  // namespace

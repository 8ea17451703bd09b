// The codecs of TIFF strips decoded in pieces of awkward sizes, as the TIFF
// reader takes a strip's rows a few at a time: one piece after another must
// give what one Decode of the strip gives.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "imaging/ccittdecoder.h"
#include "imaging/lz77decoder.h"
#include "imaging/lzwdecoder.h"
#include "imaging/rledecoders.h"
#include "imaging/thunderdecoder.h"
#include "testutil.h"

namespace {

// The block decoded Piece bytes at a time; where the data ends short of a
// piece its rest is cleared, as the TIFF reader clears it. Each piece
// first holds other bytes, as the reader's buffer holds the piece before.
Bytes InPieces(TDecoder& d, const Bytes& packed, size_t unpacked, size_t piece) {
  Bytes out(unpacked, 0);
  d.DecodeBegin(packed.data(), static_cast<int64_t>(packed.size()));
  for (size_t at = 0; at < unpacked; at += piece) {
    const size_t n = std::min(piece, unpacked - at);
    std::fill(out.begin() + static_cast<ptrdiff_t>(at), out.begin() + static_cast<ptrdiff_t>(at + n), 0xA5);
    const uint64_t got = d.DecodeNext(out.data() + at, static_cast<int64_t>(n));
    EXPECT_LE(got, n);
    std::fill(out.begin() + static_cast<ptrdiff_t>(at + got), out.begin() + static_cast<ptrdiff_t>(at + n), 0);
    if (got < n) break;
  }
  return out;
}

struct Block {
  const char* name;
  std::function<std::unique_ptr<TDecoder>()> make;
  Bytes packed;
  size_t unpacked, row;
};

std::vector<Block> Blocks() {
  const TiffFixture lzw = LoadTiff("rgb_lzw.tif"), packbits = LoadTiff("rgb_packbits.tif"),
                    zip = LoadTiff("rgb_zip.tif"), fax = LoadTiff("bw_g3.tif"), lsb = LoadTiff("bw_g3_lsb.tif");
  const uint32_t width = fax.Width(), faxRow = (width + 7) / 8, options = fax.Tag(292), lsbOptions = lsb.Tag(292);
  auto rows = [](const TiffFixture& t) { return static_cast<size_t>(t.RowsPerStrip() * t.RowBytes()); };
  auto row = [](const TiffFixture& t) { return static_cast<size_t>(t.RowBytes()); };
  auto mh = [width] { return std::make_unique<TCCITTMHDecoder>(0, false, false, width); };
  return {
      {"lzw", [] { return std::make_unique<TTIFFLZWDecoder>(); }, lzw.strips[0], rows(lzw), row(lzw)},
      {"packbits", [] { return std::make_unique<TPackbitsRLEDecoder>(); }, packbits.strips[0], rows(packbits),
       row(packbits)},
      {"deflate", [] { return std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH, true); }, zip.strips[0], rows(zip),
       row(zip)},
      {"fax3", [=] { return std::make_unique<TCCITTFax3Decoder>(options, false, false, width); },
       fax.Joined(), size_t{fax.Height()} * faxRow, faxRow},
      {"fax3 lsb first", [=] { return std::make_unique<TCCITTFax3Decoder>(lsbOptions, true, false, width); },
       lsb.Joined(), size_t{lsb.Height()} * faxRow, faxRow},
      // Any bytes are codes of some kind for these two.
      {"modified Huffman", mh, fax.Joined(), size_t{fax.Height()} * faxRow, faxRow},
      {"ThunderScan", [] { return std::make_unique<TThunderDecoder>(37); }, lzw.strips[0], 19 * 40, 19},
      // A row of white, then one pixel of the next row and no more data.
      {"ThunderScan cut short", [] { return std::make_unique<TThunderDecoder>(8); }, {0xCF, 0x07, 0xC3}, 3 * 4, 4},
  };
}

TEST(DecodePieces, PiecesJoinIntoTheWholeBlock) {
  for (const Block& b : Blocks()) {
    const auto whole = b.make();
    const Bytes expected = DecodeBlock(*whole, b.packed, b.unpacked);
    for (size_t piece : {size_t{1}, size_t{7}, b.row - 1, b.row, b.row + 3, size_t{4099}}) {
      const auto d = b.make();
      EXPECT_TRUE(SameBytes(InPieces(*d, b.packed, b.unpacked, piece), expected)) << b.name << " in pieces of " << piece;
    }
  }
}

}  // namespace

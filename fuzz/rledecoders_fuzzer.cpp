// The run-length codecs: the last bytes choose the codec, its setting, the
// output room and the size of pieces; the output is a heap block of exactly
// that size. PackBits is decoded again in pieces, PCX from blocks of data
// in pieces of output.
#include <memory>

#include "decodepieces.h"
#include "fuzzinput.h"
#include "imaging/rledecoders.h"

namespace {

// PCX data fed Block bytes at a time (a count byte that ends a block waits
// for the next) and read in pieces of the same size, sixteen bytes at a step
// where there is room: the same bytes as one Decode.
void CheckPcxBlocks(const std::vector<uint8_t>& packed, const std::vector<uint8_t>& whole, size_t block) {
  std::vector<uint8_t> out(whole.size(), 0), buffer(block + 1);
  TPCXRunReader runs(buffer.data(), 0, true);
  size_t fed = 0, next = 0, at = 0;
  while (at < out.size()) {
    const size_t got = static_cast<size_t>(runs.Read(out.data() + at, std::min(block, out.size() - at)));
    at += got;
    if (got > 0) continue;
    if (next == packed.size()) break;
    // Nothing came: the block is spent but for a count byte waiting for its
    // repeated byte.
    if (runs.Unread() > 1) __builtin_trap();
    const size_t kept = static_cast<size_t>(runs.Unread());
    std::copy(buffer.begin() + static_cast<ptrdiff_t>(fed - kept), buffer.begin() + static_cast<ptrdiff_t>(fed),
              buffer.begin());
    const size_t n = std::min(block, packed.size() - next);
    std::copy(packed.begin() + static_cast<ptrdiff_t>(next), packed.begin() + static_cast<ptrdiff_t>(next + n),
              buffer.begin() + static_cast<ptrdiff_t>(kept));
    next += n;
    fed = kept + n;
    runs.Feed(buffer.data(), fed);
  }
  // The reader's scratch past what it wrote is cleared, as the PCX reader clears it.
  std::fill(out.begin() + static_cast<ptrdiff_t>(at), out.end(), 0);
  if (out != whole) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  uint8_t kind = in.Option();
  uint16_t room = in.Option16() % 8192;
  const size_t piece = std::max<size_t>(in.Option16() % 8192, 1);
  std::vector<uint8_t> packed = in.Rest();
  std::unique_ptr<TDecoder> decoder;
  uint32_t pixelSize = 1;
  switch (kind % 12) {
    case 0: decoder = std::make_unique<TPackbitsRLEDecoder>(); break;
    case 1: decoder = std::make_unique<TPCXRLEDecoder>(); break;
    case 2: decoder = std::make_unique<TSGIRLEDecoder>(8); break;
    case 3: decoder = std::make_unique<TSGIRLEDecoder>(16); break;
    case 4: decoder = std::make_unique<TCUTRLEDecoder>(); break;
    case 5: decoder = std::make_unique<TPSPRLEDecoder>(); break;
    case 6: decoder = std::make_unique<TRLADecoder>(); break;
    default: {
      static const uint32_t depths[] = {8, 15, 24, 32, 5};
      uint32_t depth = depths[kind % 12 - 7];
      pixelSize = depth == 5 ? 0 : (depth + 1) / 8;
      decoder = std::make_unique<TTargaRLEDecoder>(depth);
      break;
    }
  }
  // Targa counts pixels; every other codec bytes.
  std::vector<uint8_t> out(room * (pixelSize ? pixelSize : 1));
  const uint8_t* src = packed.data();
  uint8_t* dst = out.data();
  decoder->DecodeInit();
  decoder->Decode(src, dst, static_cast<int64_t>(packed.size()), room);
  decoder->DecodeEnd();
  if (src < packed.data() || src > packed.data() + packed.size()) __builtin_trap();
  if (kind % 12 == 0) {
    TPackbitsRLEDecoder pieces;
    CheckPieces(pieces, packed, out, piece);
  }
  if (kind % 12 == 1) CheckPcxBlocks(packed, out, piece);

  if (kind % 12 >= 7 && pixelSize > 0) {
    uint32_t count = static_cast<uint32_t>(packed.size() / pixelSize);
    std::vector<uint8_t> encoded(size_t{count} * (pixelSize + 1));
    uint32_t stored = 0;
    decoder->Encode(packed.data(), encoded.data(), count, stored);
    if (stored > encoded.size()) __builtin_trap();
  }
  return 0;
}

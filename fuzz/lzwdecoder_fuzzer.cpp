// The TIFF and GIF LZW codecs; the last bytes choose the codec, the GIF code
// size (valid or not), the output room and the size of the pieces that TIFF
// strips are decoded in again.
#include "decodepieces.h"
#include "fuzzinput.h"
#include "imaging/lzwdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  uint8_t kind = in.Option();
  uint32_t room = in.Option16() * 4u;
  const size_t piece = in.Option16();
  std::vector<uint8_t> packed = in.Rest();
  std::vector<uint8_t> out(room);
  const uint8_t* src = packed.data();
  uint8_t* dst = out.data();
  if (kind & 0x80) {
    TTIFFLZWDecoder d;
    d.Decode(src, dst, static_cast<int64_t>(packed.size()), room);
    TTIFFLZWDecoder pieces;
    CheckPieces(pieces, packed, out, piece);
    return 0;
  }
  try {
    TGIFLZWDecoder d(kind & 0x0F);
    d.Decode(src, dst, static_cast<int64_t>(packed.size()), room);
  } catch (const EGraphicCompression&) {
  }
  return 0;
}

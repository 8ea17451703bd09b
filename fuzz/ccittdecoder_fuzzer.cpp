// The group 3 and modified Huffman codecs; the last bytes choose the codec,
// bit order, word alignment, the width, the output room and the size of the
// pieces the block is decoded in again.
#include "decodepieces.h"
#include "fuzzinput.h"
#include "imaging/ccittdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  uint8_t flags = in.Option();
  uint32_t width = in.Option16() % 4000;
  uint32_t room = in.Option16() % 32768;
  const size_t piece = in.Option16();
  std::vector<uint8_t> packed = in.Rest();
  std::vector<uint8_t> out(room);
  const uint8_t* src = packed.data();
  uint8_t* dst = out.data();
  const bool swap = flags & 1, aligned = flags & 2;
  try {
    if (flags & 4) {
      TCCITTMHDecoder d(0, swap, aligned, width), pieces(0, swap, aligned, width);
      d.Decode(src, dst, static_cast<int64_t>(packed.size()), room);
      CheckPieces(pieces, packed, out, piece);
    } else {
      TCCITTFax3Decoder d((flags >> 3) & 7, swap, false, width), pieces((flags >> 3) & 7, swap, false, width);
      d.Decode(src, dst, static_cast<int64_t>(packed.size()), room);
      CheckPieces(pieces, packed, out, piece);
    }
  } catch (const EGraphicCompression&) {
  }
  return 0;
}

// The deflate and ThunderScan codecs; the last bytes choose the codec, how
// the input is split into blocks, the width, the output room and the size
// of the pieces a block is decoded in again.
#include "decodepieces.h"
#include "fuzzinput.h"
#include "imaging/lz77decoder.h"
#include "imaging/thunderdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  uint8_t flags = in.Option();
  uint32_t room = in.Option16() % 65536;
  uint32_t split = in.Option16();
  const size_t piece = in.Option16();
  std::vector<uint8_t> packed = in.Rest();
  std::vector<uint8_t> out(room);
  if (flags & 1) {
    TThunderDecoder d(split % 2000), pieces(split % 2000);
    const uint8_t* src = packed.data();
    uint8_t* dst = out.data();
    d.Decode(src, dst, static_cast<int64_t>(packed.size()), room);
    CheckPieces(pieces, packed, out, piece);
    return 0;
  }
  if (flags & 4) {
    // A TIFF strip: one stream, started afresh.
    TLZ77Decoder whole(Z_PARTIAL_FLUSH, true), pieces(Z_PARTIAL_FLUSH, true);
    const uint8_t* src = packed.data();
    uint8_t* dst = out.data();
    whole.Decode(src, dst, static_cast<int64_t>(packed.size()), room);
    CheckPieces(pieces, packed, out, piece);
    return 0;
  }
  TLZ77Decoder d(Z_PARTIAL_FLUSH, flags & 2);
  d.DecodeInit();
  size_t first = packed.empty() ? 0 : split % (packed.size() + 1);
  const uint8_t* src = packed.data();
  uint8_t* dst = out.data();
  d.Decode(src, dst, static_cast<int64_t>(first), room / 2);
  const uint8_t* end = packed.data() + packed.size();
  if (src < packed.data() || src > end || dst > out.data() + room) __builtin_trap();
  d.Decode(src, dst, end - src, out.data() + room - dst);
  if (src > end || dst > out.data() + room) __builtin_trap();
  try {
    d.DecodeEnd();
  } catch (const EGraphicCompression&) {
  }
  return 0;
}

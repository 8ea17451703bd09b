// The group 3 and modified Huffman codecs; the last bytes choose the codec,
// bit order, word alignment, the width and the output room.
#include "fuzzinput.h"
#include "imaging/ccittdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  uint8_t flags = in.Option();
  uint32_t width = in.Option16() % 4000;
  uint32_t room = in.Option16() % 32768;
  std::vector<uint8_t> packed = in.Rest();
  std::vector<uint8_t> out(room);
  const uint8_t* src = packed.data();
  uint8_t* dst = out.data();
  const bool swap = flags & 1, aligned = flags & 2;
  try {
    if (flags & 4) {
      TCCITTMHDecoder d(0, swap, aligned, width);
      d.Decode(src, dst, static_cast<int64_t>(packed.size()), room);
    } else {
      TCCITTFax3Decoder d((flags >> 3) & 7, swap, false, width);
      d.Decode(src, dst, static_cast<int64_t>(packed.size()), room);
    }
  } catch (const EGraphicCompression&) {
  }
  return 0;
}

// The run-length codecs: the last bytes choose the codec, its setting and
// the output room; the output is a heap block of exactly that size.
#include <memory>

#include "fuzzinput.h"
#include "imaging/rledecoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  uint8_t kind = in.Option();
  uint16_t room = in.Option16() % 8192;
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

  if (kind % 12 >= 7 && pixelSize > 0) {
    uint32_t count = static_cast<uint32_t>(packed.size() / pixelSize);
    std::vector<uint8_t> encoded(size_t{count} * (pixelSize + 1));
    uint32_t stored = 0;
    decoder->Encode(packed.data(), encoded.data(), count, stored);
    if (stored > encoded.size()) __builtin_trap();
  }
  return 0;
}

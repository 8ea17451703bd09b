// The inflate wrapper: the last input byte picks raw or zlib format and the
// output estimate; the rest is the compressed data. Raw data inflated in
// pieces must give what one block of it gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "search/extract/zinflate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  uint8_t options = data[size - 1];
  --size;
  bool raw = options & 1;
  size_t estimate = (options >> 1) == 0 ? 0 : size_t(1) << ((options >> 1) % 24);
  void* out = nullptr;
  size_t outBytes = 0;
  if (raw) {
    const TZInflateResult whole = ZDecompressRaw(data, size, out, estimate, outBytes);
    if (out == nullptr && outBytes != 0) std::abort();
    std::string pieces;
    const TZInflateResult inPieces = ZDecompressRawInPieces(data, size, kMaxInflatedBytes, [&](const uint8_t* p, size_t n) {
      pieces.append(reinterpret_cast<const char*>(p), n);
      return true;
    });
    if (inPieces != whole) std::abort();
    if (whole != zrDamaged &&
        (pieces.size() != outBytes || (outBytes != 0 && std::memcmp(pieces.data(), out, outBytes) != 0)))
      std::abort();
  } else {
    try {
      ZDecompress(data, size, out, estimate, outBytes);
    } catch (const EZLibError&) {
      if (out != nullptr) std::abort();  // a failure leaves nothing to release
    }
  }
  std::free(out);
  return 0;
}

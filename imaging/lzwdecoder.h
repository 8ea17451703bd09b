// LZW codecs for TIFF strips and GIF image data. Each Decode call starts from
// a fresh table. A full table takes no further entries (a clear code is the
// only way to make room), and a string is never followed further than the
// table is long.
#pragma once

#include "imaging/decoder.h"

class TTIFFLZWDecoder : public TDecoder {
public:
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}
};

// InitialCodeSize is the minimum code size that starts GIF image data; the
// constructor refuses anything but 2 to 8.
class TGIFLZWDecoder : public TDecoder {
public:
  explicit TGIFLZWDecoder(uint8_t InitialCodeSize);
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}

  uint8_t InitialCodeSize;
};

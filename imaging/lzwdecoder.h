// LZW codecs for TIFF strips and GIF image data. Each Decode call starts from
// a fresh table. A full table takes no further entries (a clear code is the
// only way to make room), and a string is never followed further than the
// table is long.
#pragma once

#include <memory>

#include "imaging/decoder.h"

// Decode and the first of a block's pieces start from a fresh table; later
// pieces carry on with the table, the bits and any string cut at the end of
// the piece before.
class TTIFFLZWDecoder : public TDecoder {
public:
  TTIFFLZWDecoder();
  ~TTIFFLZWDecoder() override;
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  void DecodeBegin(const uint8_t* Source, int64_t PackedSize) override;
  uint64_t DecodeNext(uint8_t* Dest, int64_t Room) override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}

private:
  struct State;
  // Exact writes no byte past those it decodes (one block at once); pieces
  // may write scratch past them.
  template <bool Exact>
  uint64_t Produce(uint8_t* Dest, uint64_t Room);

  std::unique_ptr<State> state_;
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

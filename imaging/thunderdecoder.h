// ThunderScan 4-bit decoding (TIFF compression 32809). Each row of Width
// pixels fills (Width + 1) / 2 bytes, high half first, and starts afresh
// from pixel value 0.
#pragma once

#include "imaging/decoder.h"
#include "imaging/rowpieces.h"

class TThunderDecoder : public TDecoder {
public:
  // Width is the image width in pixels.
  explicit TThunderDecoder(uint32_t Width) : Width(Width) {}
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  void DecodeBegin(const uint8_t* Source, int64_t PackedSize) override;
  uint64_t DecodeNext(uint8_t* Dest, int64_t Room) override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}

  uint32_t Width;

private:
  uint64_t Produce(uint8_t* Dest, uint64_t Room, bool Carry);
  bool DecodeRow(uint8_t* Row, uint64_t Size);

  const uint8_t* src_ = nullptr;
  uint64_t srcLeft_ = 0;
  TRowPieces pieces_;
};

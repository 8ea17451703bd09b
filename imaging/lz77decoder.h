// Deflate (zlib stream) decoding through zlib: TIFF compression 8 and 32946,
// PNG and Paintshop Pro image data.
#pragma once

#include <zlib.h>

#include "imaging/decoder.h"

class TLZ77Decoder : public TDecoder {
public:
  // FlushMode is passed to every inflate call; with AutoReset every Decode
  // starts a new stream (each TIFF strip is a stream of its own).
  TLZ77Decoder(int FlushMode, bool AutoReset);
  ~TLZ77Decoder() override;

  void DecodeInit() override;
  // Inflates from Source into Dest and moves both to where zlib stopped.
  // A failing inflate only sets Status; later calls do nothing until a reset.
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  // A block is one zlib stream: its first piece starts the stream afresh.
  void DecodeBegin(const uint8_t* Source, int64_t PackedSize) override;
  uint64_t DecodeNext(uint8_t* Dest, int64_t Room) override;
  void DecodeEnd() override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}

  uint32_t GetAvailableInput() const { return Stream.avail_in; }
  uint32_t GetAvailableOutput() const { return Stream.avail_out; }

  z_stream Stream{};
  int Status = Z_OK;
  int FlushMode;
  bool AutoReset;

private:
  bool initialised_ = false;
};

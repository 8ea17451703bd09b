// The run-length codecs: Targa (which also encodes), PackBits, PCX, SGI, CUT,
// Paintshop Pro and RLA. None raises; malformed data gives wrong pixels, and
// every packet is cut at the end of the source and of the output.
#pragma once

#include "imaging/decoder.h"

// Decodes until UnpackedSize pixels are written or the source is spent;
// Source is moved past the last packet read.
class TTargaRLEDecoder : public TDecoder {
public:
  explicit TTargaRLEDecoder(uint32_t ColorDepth) : ColorDepth(ColorDepth) {}
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  void Encode(const uint8_t* Source, uint8_t* Dest, uint32_t Count, uint32_t& BytesStored) override;

  uint32_t ColorDepth;

private:
  uint32_t PixelSize() const;
};

class TPackbitsRLEDecoder : public TDecoder {
public:
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}
};

class TPCXRLEDecoder : public TDecoder {
public:
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}
};

// SampleSize 8 or 16 bits; 16-bit samples keep the file's byte order.
class TSGIRLEDecoder : public TDecoder {
public:
  explicit TSGIRLEDecoder(uint8_t SampleSize) : SampleSize(SampleSize) {}
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}

  uint8_t SampleSize;
};

// Source is moved past the closing 0 (or to the end of the source).
class TCUTRLEDecoder : public TDecoder {
public:
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}
};

class TPSPRLEDecoder : public TDecoder {
public:
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}
};

class TRLADecoder : public TDecoder {
public:
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}
};

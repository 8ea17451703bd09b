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
  void DecodeBegin(const uint8_t* Source, int64_t PackedSize) override;
  uint64_t DecodeNext(uint8_t* Dest, int64_t Room) override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}

private:
  const uint8_t* src_ = nullptr;
  uint64_t srcLeft_ = 0;
  // A packet cut at the end of the last piece: literal bytes still to copy,
  // or a run still to write.
  uint64_t literalLeft_ = 0;
  uint64_t runLeft_ = 0;
  uint8_t runValue_ = 0;
};

// PCX packets decoded in pieces, a line at a time, from data that may come
// in blocks: a run cut at the end of one piece carries on at the start of
// the next.
class TPCXRunReader {
public:
  // With Scratch, Read may write up to 15 bytes past those it reports
  // (within Room), which the caller clears or overwrites; it then takes the
  // data sixteen bytes at a time.
  TPCXRunReader(const uint8_t* Source, uint64_t Size, bool Scratch) : scratch_(Scratch) { Feed(Source, Size); }
  // The next block of data; the bytes Unread left of the last one come first.
  void Feed(const uint8_t* Source, uint64_t Size) {
    src_ = Source;
    end_ = Source + Size;
  }
  // Writes up to Room bytes at Dest; answers how many (fewer only when the
  // data is spent).
  uint64_t Read(uint8_t* Dest, uint64_t Room);
  // Bytes of the block not taken yet: a count byte at its very end, whose
  // repeated byte is still to come.
  uint64_t Unread() const { return static_cast<uint64_t>(end_ - src_); }

private:
  const uint8_t* src_;
  const uint8_t* end_;
  bool scratch_;
  uint8_t runValue_ = 0;
  uint64_t runLeft_ = 0;
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

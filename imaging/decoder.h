// The decompression codec interface of the image library and the error that
// every codec raises.
//
// Sizes are 64-bit and are the truth about the caller's buffers: PackedSize is
// how many bytes Source holds, UnpackedSize how many output units Dest has
// room for (bytes; pixels for the Targa codec). A codec reads and writes
// nothing outside them, whatever the packed data says. A size of 0 or below
// means an empty buffer.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/exceptions.h"
#include "classlib/object.h"

class EGraphicCompression : public Exception {
  using Exception::Exception;
};

[[noreturn]] void CompressionError(const std::string& Message);

class TDecoder : public TObject {
public:
  virtual void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                      int64_t UnpackedSize) = 0;
  virtual void DecodeEnd() {}
  virtual void DecodeInit() {}
  // A block decoded in pieces, for a reader that takes a strip's rows a few
  // at a time rather than all at once: DecodeBegin takes the whole packed
  // block (which the caller keeps in place until its last piece), and each
  // DecodeNext writes the next bytes of the block's output at Dest, at most
  // Room of them, and answers how many: fewer than Room only when the data
  // is spent, and the rest of the piece may then hold scratch (the caller
  // clears it). Every byte counted is written, also in a row the data ends
  // part-way through: the caller's buffer holds earlier pieces. One after
  // another the pieces are what one Decode of the block writes into cleared
  // memory. A codec that has no pieces raises EGraphicCompression.
  virtual void DecodeBegin(const uint8_t* Source, int64_t PackedSize);
  virtual uint64_t DecodeNext(uint8_t* Dest, int64_t Room);
  // Dest must have room for Count pixels plus one header byte per pixel.
  virtual void Encode(const uint8_t* Source, uint8_t* Dest, uint32_t Count,
                      uint32_t& BytesStored) = 0;
  virtual void EncodeInit() {}
  virtual void EncodeEnd() {}
};

// A size passed to Decode, as a count that is never negative.
inline uint64_t DecodeRoom(int64_t size) { return size > 0 ? static_cast<uint64_t>(size) : 0; }

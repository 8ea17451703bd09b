// Checked reading and capped sizes for the image readers: a length or size
// taken from a file is checked against the bytes that remain, and every
// buffer size is computed in 64 bits and capped before anything is allocated.
#pragma once

#include <cstdint>

class TStream;

// Bytes from the stream's position to its end; 0 when the position lies past it.
int64_t BytesLeft(TStream& Stream);
// Raises the class library's EReadError unless at least Count bytes remain,
// so that a length read from a file is refused before a buffer is made for it.
void NeedBytes(TStream& Stream, uint64_t Count);
// Exactly Count bytes, or EReadError. Counts past what one TStream::Read may
// take are read in pieces rather than cut to 32 bits.
void ReadExact(TStream& Stream, void* Buffer, uint64_t Count);

// Bytes of one row of Width pixels of BitsPerPixel bits, rounded up to whole
// bytes (no padding), and of Rows such rows. Past the bitmap's own cap
// (TBitmap::kMaxImageBytes) or on overflow both raise EInvalidGraphic.
uint64_t ImageRowBytes(uint64_t Width, uint64_t BitsPerPixel);
uint64_t ImageBytes(uint64_t RowBytes, uint64_t Rows);

// Puts the stream back where it stood when the scope began, on every way out
// (a signature test never moves the stream, even when a read fails).
class TRestorePosition {
public:
  explicit TRestorePosition(TStream& Stream);
  ~TRestorePosition();
  TRestorePosition(const TRestorePosition&) = delete;
  TRestorePosition& operator=(const TRestorePosition&) = delete;

private:
  TStream& stream_;
  int64_t position_;
};

#include "imaging/rledecoders.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif


#include "imaging/shortmoves.h"

namespace {

// The caller's two buffers with the room left in each; every packet goes
// through it, so no packet can reach past either end.
struct Cursor {
  Cursor(const uint8_t* source, int64_t packed, uint8_t* dest, int64_t unpacked)
      : src(source), srcLeft(DecodeRoom(packed)), dst(dest), dstLeft(DecodeRoom(unpacked)) {}

  bool Byte(uint8_t& value) {
    if (srcLeft == 0) return false;
    value = *src++;
    --srcLeft;
    return true;
  }
  void Copy(uint64_t n) {
    n = std::min({n, srcLeft, dstLeft});
    if (n == 0) return;
    CopyBytes(src, dst, static_cast<size_t>(n));
    src += n;
    srcLeft -= n;
    dst += n;
    dstLeft -= n;
  }
  void Fill(uint8_t value, uint64_t n) {
    n = std::min(n, dstLeft);
    if (n == 0) return;
    FillBytes(dst, value, static_cast<size_t>(n));
    dst += n;
    dstLeft -= n;
  }
  bool Busy() const { return srcLeft > 0 && dstLeft > 0; }

  const uint8_t* src;
  uint64_t srcLeft;
  uint8_t* dst;
  uint64_t dstLeft;
};

}  // namespace

void TPackbitsRLEDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                                 int64_t UnpackedSize) {
  DecodeBegin(Source, PackedSize);
  DecodeNext(Dest, UnpackedSize);
}

void TPackbitsRLEDecoder::DecodeBegin(const uint8_t* Source, int64_t PackedSize) {
  src_ = Source;
  srcLeft_ = DecodeRoom(PackedSize);
  literalLeft_ = runLeft_ = 0;
}

uint64_t TPackbitsRLEDecoder::DecodeNext(uint8_t* Dest, int64_t Room) {
  Cursor c(src_, static_cast<int64_t>(srcLeft_), Dest, Room);
  const uint64_t room = c.dstLeft;
  for (;;) {
    if (literalLeft_ > 0) {
      const uint64_t n = std::min({literalLeft_, c.srcLeft, c.dstLeft});
      c.Copy(n);
      literalLeft_ = c.srcLeft == 0 ? 0 : literalLeft_ - n;
    }
    if (runLeft_ > 0) {
      const uint64_t n = std::min(runLeft_, c.dstLeft);
      c.Fill(runValue_, n);
      runLeft_ -= n;
    }
    uint8_t b;
    if (c.dstLeft == 0 || !c.Byte(b)) break;
    const int n = static_cast<int8_t>(b);
    if (n >= 0) {
      literalLeft_ = static_cast<uint64_t>(n) + 1;
    } else if (n != -128) {
      if (!c.Byte(runValue_)) break;
      runLeft_ = static_cast<uint64_t>(1 - n);
    }
  }
  src_ = c.src;
  srcLeft_ = c.srcLeft;
  return room - c.dstLeft;
}

uint64_t TPCXRunReader::Read(uint8_t* Dest, uint64_t Room) {
  uint8_t* d = Dest;
  uint8_t* const end = Dest + Room;
  const uint64_t carried = std::min(runLeft_, Room);
  FillBytes(d, runValue_, static_cast<size_t>(carried));
  d += carried;
  runLeft_ -= carried;
  // In locals: a byte written could change the members as far as the
  // compiler knows.
  const uint8_t* s = src_;
  const uint8_t* const sEnd = end_;
#if defined(__SSE2__)
  // Sixteen bytes at a time: which of them begin run packets is found at
  // once, and the packets in them are taken one after another from that
  // mask, each literal stretch stored in one move. A window's packets write
  // at most 8 runs of 63 bytes and 16 literals, each move up to 15 bytes
  // past its length, and reads up to 16 bytes past the window: while that
  // much room and data are left, no end needs a test of its own.
  constexpr ptrdiff_t kWindowRoom = 8 * 64 + 2 * 16;
  const __m128i runMark = _mm_set1_epi8(static_cast<char>(0xC0));
  while (scratch_ && sEnd - s >= 32 && end - d >= kWindowRoom) {
    const __m128i window = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    unsigned runs =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(window, runMark), runMark)));
    unsigned at = 0;  // the next packet, from s
    for (;;) {
      // No run left, or one whose byte lies past the window: the literals up
      // to it, and the next window starts there.
      const unsigned next = runs == 0 ? 16u : static_cast<unsigned>(__builtin_ctz(runs));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + at)));
      d += next - at;
      if (next >= 15) {
        s += next;
        break;
      }
      const unsigned count = s[next] & 0x3Fu;
      FillBlocks16(d, s[next + 1], count);
      d += count;
      at = next + 2;
      // The repeated byte is no packet, whatever its top bits.
      runs &= ~0u << at;
    }
  }
#endif
  for (;;) {
    if (d == end || s == sEnd) break;
    const uint8_t b = *s++;
    if (b < 0xC0) {
      *d++ = b;
      continue;
    }
    // A count whose byte has not come yet waits for it.
    if (s == sEnd) {
      --s;
      break;
    }
    const uint8_t value = *s++;
    const uint64_t count = b & 0x3Fu, n = std::min<uint64_t>(count, static_cast<uint64_t>(end - d));
    FillBytes(d, value, static_cast<size_t>(n));
    d += n;
    runValue_ = value;
    runLeft_ = count - n;
  }
  src_ = s;
  return static_cast<uint64_t>(d - Dest);
}

void TPCXRLEDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                            int64_t UnpackedSize) {
  if (PackedSize <= 0) return;
  TPCXRunReader reader(Source, DecodeRoom(PackedSize), false);
  reader.Read(Dest, DecodeRoom(UnpackedSize));
}

void TSGIRLEDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                            int64_t UnpackedSize) {
  Cursor c(Source, PackedSize, Dest, UnpackedSize);
  if (SampleSize == 16) {
    while (c.Busy() && c.srcLeft >= 2) {
      c.src++;  // the high-order byte of the count word carries nothing
      c.srcLeft--;
      uint8_t count;
      c.Byte(count);
      uint64_t length = count & 0x7F;
      if (length == 0) break;
      if (count & 0x80) {
        c.Copy(length * 2);
        continue;
      }
      if (c.srcLeft < 2) break;
      uint8_t sample[2] = {c.src[0], c.src[1]};
      c.src += 2;
      c.srcLeft -= 2;
      for (uint64_t i = 0; i < length && c.dstLeft > 0; ++i) {
        c.Fill(sample[0], 1);
        c.Fill(sample[1], 1);
      }
    }
    return;
  }
  uint8_t count;
  while (c.Busy() && c.Byte(count)) {
    uint64_t length = count & 0x7F;
    if (length == 0) break;
    if (count & 0x80) {
      c.Copy(length);
      continue;
    }
    uint8_t value;
    if (!c.Byte(value)) break;
    c.Fill(value, length);
  }
}

void TCUTRLEDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                            int64_t UnpackedSize) {
  Cursor c(Source, PackedSize, Dest, UnpackedSize);
  // The line's byte count comes first and is not needed to decode it.
  uint64_t skip = std::min<uint64_t>(2, c.srcLeft);
  c.src += skip;
  c.srcLeft -= skip;
  uint8_t count;
  while (c.Byte(count)) {
    if (count == 0) break;
    uint64_t length = count & 0x7F;
    if (count & 0x80) {
      uint8_t value;
      if (!c.Byte(value)) break;
      c.Fill(value, length);
    } else {
      // A literal that no longer fits is still stepped over, so Source lands
      // on the closing 0 as it would with room to spare.
      uint64_t n = std::min(length, c.srcLeft);
      uint64_t copied = std::min(n, c.dstLeft);
      c.Copy(copied);
      c.src += n - copied;
      c.srcLeft -= n - copied;
    }
  }
  Source = c.src;
}

void TPSPRLEDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                            int64_t UnpackedSize) {
  Cursor c(Source, PackedSize, Dest, UnpackedSize);
  uint8_t count;
  while (c.Busy() && c.Byte(count)) {
    if (count < 128) {
      c.Copy(count);
      continue;
    }
    uint8_t value;
    if (!c.Byte(value)) break;
    c.Fill(value, count - 128u);
  }
}

void TRLADecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                         int64_t UnpackedSize) {
  Cursor c(Source, PackedSize, Dest, UnpackedSize);
  uint8_t b;
  while (c.Busy() && c.Byte(b)) {
    int count = static_cast<int8_t>(b);
    if (count < 0) {
      c.Copy(static_cast<uint64_t>(-count));
      continue;
    }
    uint8_t value;
    if (!c.Byte(value)) break;
    c.Fill(value, static_cast<uint64_t>(count) + 1);
  }
}

uint32_t TTargaRLEDecoder::PixelSize() const {
  switch (ColorDepth) {
    case 8: return 1;
    case 15:
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
  }
}

void TTargaRLEDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                              int64_t UnpackedSize) {
  uint32_t size = PixelSize();
  if (size == 0) return;
  const uint8_t* src = Source;
  uint64_t srcLeft = DecodeRoom(PackedSize);
  uint8_t* dst = Dest;
  uint64_t pixelsLeft = DecodeRoom(UnpackedSize);
  while (pixelsLeft > 0 && srcLeft > 0) {
    uint8_t header = *src++;
    --srcLeft;
    uint64_t n = (header & 0x7Fu) + 1;
    uint64_t written = std::min(n, pixelsLeft);
    if (header & 0x80) {
      if (srcLeft < size) {
        src += srcLeft;
        break;
      }
      for (uint64_t i = 0; i < written; ++i, dst += size) std::memcpy(dst, src, size);
      src += size;
      srcLeft -= size;
    } else {
      uint64_t whole = std::min<uint64_t>(n, srcLeft / size);
      written = std::min(written, whole);
      if (written > 0) std::memcpy(dst, src, static_cast<size_t>(written * size));
      dst += written * size;
      // Pixels past the output still belong to this packet: step over them.
      uint64_t consumed = whole < n ? srcLeft : n * size;
      src += consumed;
      srcLeft -= consumed;
    }
    pixelsLeft -= written;
  }
  Source = src;
}

namespace {

uint32_t GetPixel(const uint8_t* p, uint32_t size) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < size; ++i) value = (value << 8) | p[i];
  return value;
}

uint32_t CountDiffPixels(const uint8_t* p, uint32_t size, uint32_t count) {
  if (count == 1) return 1;
  uint32_t n = 0;
  uint32_t previous = GetPixel(p, size);
  while (n + 1 < count) {
    uint32_t next = GetPixel(p + (n + 1) * size, size);
    if (next == previous) return n;
    previous = next;
    ++n;
  }
  return n;  // no equal neighbours: the last pixel is left for the next packet
}

uint32_t CountSamePixels(const uint8_t* p, uint32_t size, uint32_t count) {
  uint32_t first = GetPixel(p, size);
  uint32_t n = 1;
  while (n < count && GetPixel(p + n * size, size) == first) ++n;
  return n;
}

}  // namespace

void TTargaRLEDecoder::Encode(const uint8_t* Source, uint8_t* Dest, uint32_t Count,
                              uint32_t& BytesStored) {
  BytesStored = 0;
  uint32_t size = (ColorDepth + 1) / 8;
  if (size == 0 || size > 4) return;
  uint32_t left = Count;
  while (left > 0) {
    // A packet holds at most 128 pixels: looking further ahead only costs
    // time (a long row of one colour would be scanned once per packet).
    const uint32_t window = std::min<uint32_t>(left, 128);
    uint32_t raw = CountDiffPixels(Source, size, window);
    uint32_t same = CountSamePixels(Source, size, window);
    if (raw > 0) {
      *Dest++ = static_cast<uint8_t>(raw - 1);
      std::memcpy(Dest, Source, raw * size);
      Dest += raw * size;
      Source += raw * size;
      left -= raw;
      BytesStored += raw * size + 1;
    }
    if (same > 1) {
      *Dest++ = static_cast<uint8_t>(0x80 | (same - 1));
      std::memcpy(Dest, Source, size);
      Dest += size;
      Source += same * size;
      left -= same;
      BytesStored += size + 1;
    }
  }
}

#include "imaging/lzwdecoder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kTableSize = 4096;
constexpr uint16_t kNoCode = 4096;

// The string table of one Decode call and the output it feeds.
struct LzwTable {
  uint16_t prefix[kTableSize];
  uint8_t suffix[kTableSize];
  uint8_t stack[kTableSize];

  uint8_t* dst;
  uint64_t dstLeft;

  void Init(uint32_t roots) {
    std::memset(prefix, 0, sizeof prefix);
    std::memset(suffix, 0, sizeof suffix);
    for (uint32_t i = 0; i < roots; ++i) {
      prefix[i] = kNoCode;
      suffix[i] = static_cast<uint8_t>(i);
    }
  }

  void Put(uint8_t value) {
    if (dstLeft == 0) return;
    *dst++ = value;
    --dstLeft;
  }

  // Gathers the string of code backwards into the stack, with firstByte when
  // code is the entry about to be made (the KwKwK case). Returns the length,
  // or 0 when the chain is longer than the table: only damaged data builds one.
  uint32_t Gather(uint32_t code, uint32_t lastRoot, uint8_t& first, bool kwkwk,
                  uint32_t previous) {
    uint32_t top = 0;
    if (kwkwk) {
      stack[top++] = first;
      code = previous;
    }
    while (code > lastRoot) {
      if (top >= kTableSize - 1) return 0;
      stack[top++] = suffix[code];
      code = prefix[code];
      if (code >= kTableSize) return 0;
    }
    first = suffix[code];
    stack[top++] = first;
    return top;
  }

  void Emit(uint32_t length) {
    while (length > 0 && dstLeft > 0) Put(stack[--length]);
  }
};

}  // namespace

void TTIFFLZWDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                             int64_t UnpackedSize) {
  constexpr uint32_t kClear = 256, kEnd = 257, kFirst = 258;
  LzwTable t;
  t.Init(256);
  t.dst = Dest;
  t.dstLeft = DecodeRoom(UnpackedSize);
  const uint8_t* src = Source;
  uint64_t srcLeft = DecodeRoom(PackedSize);

  uint32_t accumulator = 0, bits = 0;
  uint32_t width = 9, mask = 511, next = kFirst, previous = kNoCode;
  uint8_t first = 0;
  while (srcLeft > 0 && t.dstLeft > 0) {
    accumulator |= static_cast<uint32_t>(*src++) << (24 - bits);
    --srcLeft;
    bits += 8;
    while (bits >= width) {
      uint32_t code = accumulator >> (32 - width);
      accumulator <<= width;
      bits -= width;
      if (code == kEnd) return;
      if (code == kClear) {
        width = 9;
        mask = 511;
        next = kFirst;
        previous = kNoCode;
        continue;
      }
      // Damaged data: take no more codes from the bits held and go on with
      // the next byte. The bits stay: a code is at least 9 bits wide, so
      // fewer than 8 remain and the next byte still fits behind them.
      if (code > next) break;
      if (previous == kNoCode) {
        first = t.suffix[code];
        t.Put(first);
        previous = code;
        continue;
      }
      uint32_t length = t.Gather(code, 256, first, code == next, previous);
      if (length == 0) return;
      if (next < kTableSize) {
        t.prefix[next] = static_cast<uint16_t>(previous);
        t.suffix[next] = first;
        ++next;
        if (next == mask && width < 12) {
          ++width;
          mask = (1u << width) - 1;
        }
      }
      previous = code;
      t.Emit(length);
    }
  }
}

TGIFLZWDecoder::TGIFLZWDecoder(uint8_t InitialCodeSize) : InitialCodeSize(InitialCodeSize) {
  if (InitialCodeSize < 2 || InitialCodeSize > 8)
    CompressionError("GIF image data has an invalid LZW code size.");
}

void TGIFLZWDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                            int64_t UnpackedSize) {
  // The field is public: check again what the constructor checked.
  if (InitialCodeSize < 2 || InitialCodeSize > 8)
    CompressionError("GIF image data has an invalid LZW code size.");
  const uint32_t clear = 1u << InitialCodeSize, end = clear + 1, firstFree = clear + 2;
  const uint32_t startWidth = InitialCodeSize + 1u;
  LzwTable t;
  t.Init(clear);
  t.dst = Dest;
  t.dstLeft = DecodeRoom(UnpackedSize);
  const uint8_t* src = Source;
  uint64_t srcLeft = DecodeRoom(PackedSize);

  uint32_t accumulator = 0, bits = 0;
  uint32_t width = startWidth, mask = (1u << width) - 1, next = firstFree, previous = kNoCode;
  uint8_t first = 0;
  while (srcLeft > 0 && t.dstLeft > 0) {
    accumulator |= static_cast<uint32_t>(*src++) << bits;
    --srcLeft;
    bits += 8;
    while (bits >= width) {
      uint32_t code = accumulator & mask;
      accumulator >>= width;
      bits -= width;
      if (code == clear) {
        width = startWidth;
        mask = (1u << width) - 1;
        next = firstFree;
        previous = kNoCode;
        continue;
      }
      // The end code and unknown codes: the bits held are given up and
      // decoding goes on with the next byte.
      if (code == end || code > next) {
        accumulator = 0;
        bits = 0;
        break;
      }
      if (previous == kNoCode) {
        first = t.suffix[code];
        t.Put(first);
        previous = code;
        continue;
      }
      uint32_t length = t.Gather(code, clear, first, code == next, previous);
      if (length == 0) return;
      // A full table stays as it is until the next clear code.
      if (next < kTableSize) {
        t.prefix[next] = static_cast<uint16_t>(previous);
        t.suffix[next] = first;
        if (next == mask && width < 12) {
          ++width;
          mask = (1u << width) - 1;
        }
        ++next;
      }
      previous = code;
      t.Emit(length);
    }
  }
}

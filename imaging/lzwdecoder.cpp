#include "imaging/lzwdecoder.h"

#include <algorithm>
#include <cstring>

#include "imaging/shortmoves.h"

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

  // Writes the gathered string while there is room; answers how much of it
  // is left on the stack.
  uint32_t Emit(uint32_t length) {
    while (length > 0 && dstLeft > 0) Put(stack[--length]);
    return length;
  }
};

}  // namespace

// What TIFF decoding keeps besides the string table: where each entry's
// string already stands in the output of the block. An entry is the string
// of the code before it plus one byte, and that byte is the first one written
// after that string, so every entry's string is one run of earlier output
// and is copied from there instead of being gathered backwards through the
// table. This holds while each entry is built from entries made since the
// last clear code, which every undamaged strip does; a string written in an
// earlier piece, or one that does not fit in this piece, is gathered.
struct TTIFFLZWDecoder::State : LzwTable {
  uint64_t offset[kTableSize];
  uint16_t length[kTableSize];
  uint8_t firstByte[kTableSize];

  // The decoding state from one piece to the next.
  const uint8_t* src = nullptr;
  uint64_t srcLeft = 0;
  uint32_t accumulator = 0, bits = 0, width = 9, mask = 511, next = 258, previous = kNoCode;
  uint8_t first = 0;
  bool copying = true;  // until an entry of an earlier table is used
  bool ended = false;   // the end code, the end of the data or a broken table
  uint64_t lastOffset = 0, lastLength = 0;  // the previous code's string in the output
  uint64_t produced = 0;                    // output of the block so far
  uint32_t pending = 0;                     // bytes of a cut string left on the stack

  void Start(const uint8_t* source, uint64_t size) {
    LzwTable::Init(256);
    for (uint32_t i = 0; i < 256; ++i) {
      length[i] = 1;
      firstByte[i] = static_cast<uint8_t>(i);
    }
    src = source;
    srcLeft = size;
    accumulator = bits = 0;
    width = 9;
    mask = 511;
    next = 258;
    previous = kNoCode;
    first = 0;
    copying = true;
    ended = false;
    lastOffset = lastLength = produced = 0;
    pending = 0;
  }
};

TTIFFLZWDecoder::TTIFFLZWDecoder() : state_(std::make_unique<State>()) {}
TTIFFLZWDecoder::~TTIFFLZWDecoder() = default;

void TTIFFLZWDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                             int64_t UnpackedSize) {
  DecodeBegin(Source, PackedSize);
  DecodeNext(Dest, UnpackedSize);
}

void TTIFFLZWDecoder::DecodeBegin(const uint8_t* Source, int64_t PackedSize) {
  state_->Start(Source, DecodeRoom(PackedSize));
}

uint64_t TTIFFLZWDecoder::DecodeNext(uint8_t* Dest, int64_t Room) {
  constexpr uint32_t kClear = 256, kEnd = 257, kFirst = 258;
  State& t = *state_;
  uint8_t* const start = Dest;
  t.dst = Dest;
  t.dstLeft = DecodeRoom(Room);
  const uint64_t room = t.dstLeft;
  // The block's output offset of Dest: strings written before it are gone.
  const uint64_t base = t.produced;
  t.pending = t.Emit(t.pending);

  // The hot state in locals: every byte written through the output pointer
  // could otherwise change them as far as the compiler knows.
  const uint8_t* src = t.src;
  uint64_t srcLeft = t.srcLeft;
  uint32_t accumulator = t.accumulator, bits = t.bits, width = t.width, mask = t.mask, next = t.next,
           previous = t.previous;
  uint8_t first = t.first;
  bool copying = t.copying, ended = t.ended;
  uint64_t lastOffset = t.lastOffset, lastLength = t.lastLength;
  auto addEntry = [&] {
    if (next >= kTableSize) return;
    t.prefix[next] = static_cast<uint16_t>(previous);
    t.suffix[next] = first;
    if (copying) {
      t.firstByte[next] = t.firstByte[previous];
      t.offset[next] = lastOffset;
      t.length[next] = static_cast<uint16_t>(lastLength + 1);
    }
    ++next;
    if (next == mask && width < 12) {
      ++width;
      mask = (1u << width) - 1;
    }
  };

  // One code per turn. Bits are taken most significant first; with four
  // bytes or more left the buffer is topped up to 24 bits or more at once:
  // the bits below the count are those of the bytes that follow, read again
  // on the next turn.
  while (t.dstLeft > 0 && !ended) {
    if (srcLeft >= 4) {
      uint32_t word;
      std::memcpy(&word, src, 4);
      accumulator |= __builtin_bswap32(word) >> bits;
      const uint32_t taken = (31 - bits) >> 3;
      src += taken;
      srcLeft -= taken;
      bits |= 24;
    } else {
      for (; bits < width && srcLeft > 0; --srcLeft, bits += 8)
        accumulator |= static_cast<uint32_t>(*src++) << (24 - bits);
      if (bits < width) {
        ended = true;
        break;
      }
    }
    const uint32_t code = accumulator >> (32 - width);
    accumulator <<= width;
    bits -= width;
    if (code == kEnd) {
      ended = true;
      break;
    }
    if (code == kClear) {
      width = 9;
      mask = 511;
      next = kFirst;
      previous = kNoCode;
      continue;
    }
    // Damaged data: the code is dropped and the bits after it start the
    // next one.
    if (code > next) continue;
    const uint64_t at = base + static_cast<uint64_t>(t.dst - start);
    if (previous == kNoCode) {
      // Right after a clear code only a single byte is known; an entry code
      // here is left over from before it (damaged data).
      if (code >= kFirst) copying = false;
      first = t.suffix[code];
      lastOffset = at;
      lastLength = 1;
      t.Put(first);
      previous = code;
      continue;
    }
    if (!copying) {
      const uint32_t length = t.Gather(code, 256, first, code == next, previous);
      if (length == 0) {
        ended = true;
        break;
      }
      addEntry();
      previous = code;
      t.pending = t.Emit(length);
      continue;
    }
    first = code == next ? t.firstByte[previous] : t.firstByte[code];
    // For the KwKwK case this makes the very entry the code names.
    addEntry();
    previous = code;
    if (code < 256) {
      t.Put(static_cast<uint8_t>(code));
      lastOffset = at;
      lastLength = 1;
      continue;
    }
    // The string ends before the byte about to be written, or on it for
    // KwKwK (the string ends on its own first byte, so that copy goes
    // forward one byte at a time); anything else is a broken table: stop.
    const uint64_t from = t.offset[code], length = t.length[code];
    if (from + length > at + 1) {
      ended = true;
      break;
    }
    if (from >= base && length <= t.dstLeft) {
      const uint8_t* copy = start + (from - base);
      const size_t n = static_cast<size_t>(length);
      if (from + n <= at)
        CopyBytes(copy, t.dst, n);
      else
        for (size_t i = 0; i < n; ++i) t.dst[i] = copy[i];
      t.dst += n;
      t.dstLeft -= n;
    } else {
      uint8_t gatheredFirst = first;
      const uint32_t n = t.Gather(code, 256, gatheredFirst, false, 0);
      if (n == 0) {
        ended = true;
        break;
      }
      t.pending = t.Emit(n);
    }
    lastOffset = at;
    lastLength = length;
  }
  t.src = src;
  t.srcLeft = srcLeft;
  t.accumulator = accumulator;
  t.bits = bits;
  t.width = width;
  t.mask = mask;
  t.next = next;
  t.previous = previous;
  t.first = first;
  t.copying = copying;
  t.ended = ended;
  t.lastOffset = lastOffset;
  t.lastLength = lastLength;
  t.produced += static_cast<uint64_t>(t.dst - start);
  return room - t.dstLeft;
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

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

// TIFF decoding keeps, besides the string table, where each entry's string
// already stands in the output of the block. An entry is the string of the
// code before it plus one byte, and that byte is the first one written after
// that string, so every entry's string is one run of earlier output and is
// copied from there instead of being gathered backwards through the table.
// This holds while each entry is built from entries made since the last
// clear code, which every undamaged strip does; a string written in an
// earlier piece, or one that does not fit in this piece, is gathered.
struct TTIFFLZWDecoder::State {
  struct Entry {
    uint32_t offset;  // in the block's output
    uint16_t length;
    uint8_t first, last;
  };
  // A full table takes no further entries: they go to a spare slot past its
  // end, so that making one needs no test.
  Entry entry[kTableSize + 1];
  uint16_t prefix[kTableSize + 1];  // the code whose string an entry's extends
  uint8_t stack[kTableSize];

  // The decoding state from one piece to the next.
  const uint8_t* src = nullptr;
  const uint8_t* srcEnd = nullptr;
  uint32_t accumulator = 0, bits = 0, width = 9, next = 258, previous = kNoCode;
  uint32_t growAt = 511;      // the next entry at which the width grows (0: never)
  // The first byte of the previous code's string, once strings are
  // gathered (while they are copied, the previous code's entry tells).
  uint8_t previousFirst = 0;
  bool copying = true;        // until an entry of an earlier table is used
  bool ended = false;         // the end code, the end of the data or a broken table
  uint64_t produced = 0;      // output of the block so far
  uint32_t pending = 0;       // bytes of a cut string left on the stack

  void Start(const uint8_t* source, uint64_t size) {
    std::memset(entry, 0, sizeof entry);
    std::memset(prefix, 0, sizeof prefix);
    for (uint32_t i = 0; i < 256; ++i) entry[i] = {0, 1, static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
    src = source;
    srcEnd = source + size;
    accumulator = bits = 0;
    width = 9;
    growAt = 511;
    next = 258;
    previous = kNoCode;
    copying = true;
    ended = false;
    produced = 0;
    pending = 0;
    previousFirst = 0;
  }
  // Gathers the string of code backwards onto the stack from position Top
  // on; answers the stack's height, or 0 when the chain is longer than the
  // table (only damaged data builds one).
  uint32_t Gather(uint32_t code, uint32_t top = 0) {
    while (code > 255) {
      if (top >= kTableSize - 1 || code >= kTableSize) return 0;
      stack[top++] = entry[code].last;
      code = prefix[code];
    }
    stack[top++] = static_cast<uint8_t>(code);
    return top;
  }

  // Writes the pending string from the stack while there is room; what does
  // not fit waits for the next piece. Answers where writing stopped.
  uint8_t* EmitPending(uint8_t* dst, uint8_t* end) {
    while (pending > 0 && dst != end) *dst++ = stack[--pending];
    return dst;
  }
};

TTIFFLZWDecoder::TTIFFLZWDecoder() : state_(std::make_unique<State>()) {}
TTIFFLZWDecoder::~TTIFFLZWDecoder() = default;

void TTIFFLZWDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                             int64_t UnpackedSize) {
  DecodeBegin(Source, PackedSize);
  Produce<true>(Dest, DecodeRoom(UnpackedSize));
}

void TTIFFLZWDecoder::DecodeBegin(const uint8_t* Source, int64_t PackedSize) {
  state_->Start(Source, DecodeRoom(PackedSize));
}

uint64_t TTIFFLZWDecoder::DecodeNext(uint8_t* Dest, int64_t Room) { return Produce<false>(Dest, DecodeRoom(Room)); }

template <bool Exact>
uint64_t TTIFFLZWDecoder::Produce(uint8_t* Dest, uint64_t room) {
  constexpr uint32_t kClear = 256, kEnd = 257, kFirst = 258;
  // The longest string, and the scratch a block move may write past it.
  constexpr uint64_t kLongestWrite = kTableSize + 15;
  State& t = *state_;
  // Positions in the block are kept in 32 bits; a block beyond that is
  // gathered through the table from there on.
  if (t.produced + room > UINT32_MAX) t.copying = false;
  uint8_t* const start = Dest;
  uint8_t* const end = Dest + room;
  // Up to here any string fits, whole blocks and all.
  uint8_t* const roomy = Exact || room < kLongestWrite ? start : end - kLongestWrite;
  // The block's output offset of Dest: strings written before it are gone.
  const uint32_t base = static_cast<uint32_t>(std::min<uint64_t>(t.produced, UINT32_MAX));
  uint8_t* dst = t.EmitPending(Dest, end);
  const uint32_t origin = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(start)) - base;

  // The hot state in locals whose address is never taken, so that they stay
  // in registers although every byte written could change memory.
  const uint8_t* src = t.src;
  const uint8_t* const srcEnd = t.srcEnd;
  uint32_t accumulator = t.accumulator, bits = t.bits, width = t.width, growAt = t.growAt, next = t.next,
           previous = t.previous;
  uint8_t previousFirst = t.previousFirst;
  bool copying = t.copying, ended = t.ended;
  // The common way: a code after another one, every string so far copied
  // from the output.
  bool common = copying && previous != kNoCode;
  // The new entry: the previous string (which ends where this one starts)
  // and First, the first byte of this one. While strings are copied, the
  // previous code's entry holds that string's length and first byte; once
  // they are gathered only the entries' last bytes and prefixes count.
#define ADD_ENTRY(First)                                                                                \
  {                                                                                                     \
    const State::Entry p = t.entry[previous];                                                           \
    t.entry[next] = {at - p.length, static_cast<uint16_t>(p.length + 1), p.first, First};               \
    t.prefix[next] = static_cast<uint16_t>(previous);                                                   \
    next += next < kTableSize;                                                                          \
    if (next == growAt) growAt = ++width < 12 ? (1u << width) - 1 : 0;                                  \
  }

  // One code per turn. Bits are taken most significant first; with four
  // bytes or more left the buffer is topped up to 24 bits or more at once:
  // the bits below the count are those of the bytes that follow, read again
  // on the next turn.
  while (dst != end && !ended) {
    if (srcEnd - src >= 4) {
      uint32_t word;
      std::memcpy(&word, src, 4);
      accumulator |= __builtin_bswap32(word) >> bits;
      src += (31 - bits) >> 3;
      bits |= 24;
    } else {
      for (; bits < width && src != srcEnd; bits += 8) accumulator |= static_cast<uint32_t>(*src++) << (24 - bits);
      if (bits < width) {
        ended = true;
        break;
      }
    }
    const uint32_t code = accumulator >> (32 - width);
    accumulator <<= width;
    bits -= width;
    // This string's offset in the block, from the pointer alone.
    const uint32_t at = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(dst)) - origin;
    if (__builtin_expect(common, 1)) {
      if (code < 256) {
        ADD_ENTRY(static_cast<uint8_t>(code))
        previous = code;
        *dst++ = static_cast<uint8_t>(code);
        continue;
      }
      if (code >= kFirst && code < next) {
        const State::Entry e = t.entry[code];
        ADD_ENTRY(e.first)
        previous = code;
        // Only a broken table has a string that does not end before here.
        if (e.offset + e.length > at) {
          ended = true;
          break;
        }
        if (e.offset >= base) {
          // Pieces may be written past the bytes decoded (the caller
          // clears them): whole blocks while there is room for them.
          if (dst < roomy) {
            CopyBlocks16(start + (e.offset - base), dst, e.length);
            dst += e.length;
            continue;
          }
          if (e.length <= static_cast<uint64_t>(end - dst)) {
            CopyBytes(start + (e.offset - base), dst, e.length);
            dst += e.length;
            continue;
          }
        }
        t.pending = t.Gather(code);
        if (t.pending == 0) {
          ended = true;
          break;
        }
        dst = t.EmitPending(dst, end);
        continue;
      }
    }
    if (code == kEnd) {
      ended = true;
      break;
    }
    if (code == kClear) {
      width = 9;
      growAt = 511;
      next = kFirst;
      previous = kNoCode;
      common = false;
      continue;
    }
    // Damaged data: the code is dropped and the bits after it start the
    // next one.
    if (code > next) continue;
    if (previous == kNoCode) {
      // Right after a clear code only a single byte is known: an entry code
      // here is left over from before it (damaged data), and only its last
      // byte is written.
      if (code >= kFirst) copying = false;
      previousFirst = t.entry[code].last;
      *dst++ = previousFirst;
      previous = code;
      common = copying;
      continue;
    }
    // A code equal to the next entry (KwKwK) is the previous string and that
    // string's first byte.
    if (!copying) {
      if (code == next) {
        t.stack[0] = previousFirst;
        t.pending = t.Gather(previous, 1);
      } else {
        t.pending = t.Gather(code);
      }
      if (t.pending == 0) {
        ended = true;
        break;
      }
      const uint8_t first = t.stack[t.pending - 1];
      ADD_ENTRY(first)
      previous = code;
      previousFirst = first;
      dst = t.EmitPending(dst, end);
      continue;
    }
    // KwKwK while copying: the string ends on the byte about to be written,
    // so it is copied forward one byte at a time.
    const State::Entry p = t.entry[previous];
    const uint32_t from = at - p.length, length = p.length + 1u;
    ADD_ENTRY(p.first)
    previous = code;
    if (from >= base && length <= static_cast<uint64_t>(end - dst)) {
      const uint8_t* copy = start + (from - base);
      for (uint32_t i = 0; i < length; ++i) dst[i] = copy[i];
      dst += length;
      continue;
    }
    // The entry exists now: its string is gathered like any other.
    t.pending = t.Gather(code);
    if (t.pending == 0) {
      ended = true;
      break;
    }
    dst = t.EmitPending(dst, end);
  }
#undef ADD_ENTRY
  t.src = src;
  t.accumulator = accumulator;
  t.bits = bits;
  t.width = width;
  t.growAt = growAt;
  t.next = next;
  t.previous = previous;
  t.previousFirst = previousFirst;
  t.copying = copying;
  t.ended = ended;
  t.produced += static_cast<uint64_t>(dst - start);
  return static_cast<uint64_t>(dst - start);
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

#include "imaging/ccittdecoder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "imaging/ccittcodes.h"
#include "imaging/samplehelpers.h"
#include "imaging/shortmoves.h"

namespace {

// Each of the four bytes of a word read least significant bit first.
uint32_t ReversedBits32(uint32_t word) {
  return uint32_t{ReversedBits(static_cast<uint8_t>(word >> 24))} << 24 |
         uint32_t{ReversedBits(static_cast<uint8_t>(word >> 16))} << 16 |
         uint32_t{ReversedBits(static_cast<uint8_t>(word >> 8))} << 8 | ReversedBits(static_cast<uint8_t>(word));
}

// Make-up codes can follow one another without end in damaged data.
constexpr int64_t kMaxRun = int64_t{1} << 40;

template <class States>
void AddCode(States& states, const char* bits, int32_t value) {
  size_t state = 0;
  for (const char* p = bits; *p; ++p) {
    int bit = *p - '0';
    if (states[state].NewState[bit] == 0) {
      states.emplace_back();
      states[state].NewState[bit] = static_cast<int32_t>(states.size() - 1);
    }
    state = static_cast<size_t>(states[state].NewState[bit]);
  }
  states[state].RunLength = value;
}

template <class States>
void BuildTree(States& states, const TCCITTCode* codes, int count) {
  states.assign(1, {});
  for (int i = 0; i < count; ++i) AddCode(states, codes[i].Bits, codes[i].RunLength);
  for (int i = 0; i < kExtendedMakeUpCodeCount; ++i)
    AddCode(states, kExtendedMakeUpCodes[i].Bits, kExtendedMakeUpCodes[i].RunLength);
  AddCode(states, "000000000001", -1);
  AddCode(states, "000000001", -2);
  AddCode(states, "0000000001", -2);
  AddCode(states, "00000000001", -2);
  AddCode(states, "000000000000", -2);
}

// The code each pattern of Bits bits begins with, walked through the tree
// as FindRun walks it bit by bit: a bit with no branch is a code of its own
// when it is the first one (stepped over, so that decoding moves on), else
// it ends the invalid code before it. Entries as TLookupEntry tells.
template <class States>
std::vector<uint16_t> BuildLookup(const States& states, unsigned bits, int32_t invalid) {
  auto entry = [](unsigned length, int32_t run) { return static_cast<uint16_t>((run + 2) << 4 | length); };
  std::vector<uint16_t> lookup(size_t{1} << bits);
  for (uint32_t pattern = 0; pattern < lookup.size(); ++pattern) {
    size_t state = 0;
    for (unsigned i = 0; i < bits; ++i) {
      const int32_t next = states[state].NewState[(pattern >> (bits - 1 - i)) & 1];
      if (next == 0) {
        lookup[pattern] = entry(state == 0 ? 1 : i, invalid);
        break;
      }
      state = static_cast<size_t>(next);
      if (states[state].NewState[0] == 0 && states[state].NewState[1] == 0) {
        lookup[pattern] = entry(i + 1, states[state].RunLength);
        break;
      }
    }
  }
  return lookup;
}

// Sets pixels [Pixel, Pixel + Count) of Row black, cut at its Size bytes.
inline void PaintBlack(uint8_t* row, uint32_t size, uint32_t pixel, uint32_t count) {
  const uint64_t end = std::min(uint64_t{pixel} + count, uint64_t{size} * 8);
  uint64_t a = pixel;
  if (a >= end) return;
  const unsigned offset = a & 7;
  if (offset != 0) {
    const unsigned k = static_cast<unsigned>(std::min<uint64_t>(8 - offset, end - a));
    row[a >> 3] |= static_cast<uint8_t>((0xFFu >> offset) & ~(0xFFu >> (offset + k)));
    a += k;
  }
  const uint64_t whole = (end - a) / 8;
  FillBytes(row + (a >> 3), 0xFF, static_cast<size_t>(whole));
  a += whole * 8;
  if (a < end) row[a >> 3] |= static_cast<uint8_t>(0xFF00u >> (end - a));
}

}  // namespace

TCCITTDecoder::TCCITTDecoder(uint32_t Options, bool SwapBits, bool WordAligned, uint32_t Width)
    : Options(Options), SwapBits(SwapBits), Width(Width), WordAligned(WordAligned) {
  BuildTree(WhiteStates, kWhiteCodes, kWhiteCodeCount);
  BuildTree(BlackStates, kBlackCodes, kBlackCodeCount);
  // The codes are the same for every decoder: their tables are made once.
  static const std::vector<TLookupEntry> white = BuildLookup(WhiteStates, kLookupBits, kInvalidCode);
  static const std::vector<TLookupEntry> black = BuildLookup(BlackStates, kLookupBits, kInvalidCode);
  whiteLookup_ = &white;
  blackLookup_ = &black;
}

void TCCITTDecoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                           int64_t UnpackedSize) {
  DecodeBegin(Source, PackedSize);
  const uint64_t room = DecodeRoom(UnpackedSize);
  if (room > 0) std::memset(Dest, 0, static_cast<size_t>(room));
  Produce(Dest, room, false);
}

void TCCITTDecoder::DecodeBegin(const uint8_t* Source, int64_t PackedSize) {
  DecodeInit();
  src_ = Source;
  bitPos_ = 0;
  bitCount_ = std::min<uint64_t>(DecodeRoom(PackedSize), UINT64_MAX / 8) * 8;
  More = true;
  pieces_.Reset();
}

uint64_t TCCITTDecoder::DecodeNext(uint8_t* Dest, int64_t Room) { return Produce(Dest, DecodeRoom(Room), true); }

uint64_t TCCITTDecoder::Produce(uint8_t* Dest, uint64_t Room, bool Carry) {
  return pieces_.Fill(Dest, Room, (static_cast<uint64_t>(Width) + 7) / 8, Carry, [this](uint8_t* row, uint64_t size) {
    StartRow(row, size);
    return DecodeRow();
  });
}

void TCCITTDecoder::StartRow(uint8_t* Row, uint64_t Size) {
  dest_ = Row;
  destSize_ = static_cast<uint32_t>(Size);
  std::memset(dest_, 0, destSize_);
  pixel_ = 0;
  restWidth_ = Width;
  IsWhite = true;
}

int TCCITTDecoder::Peek() const {
  uint8_t byte = src_[bitPos_ >> 3];
  if (SwapBits) byte = ReversedBits(byte);
  return (byte >> (7 - (bitPos_ & 7))) & 1;
}

uint32_t TCCITTDecoder::CountZeros() const {
  uint64_t pos = bitPos_;
  uint32_t zeros = 0;
  while (pos < bitCount_) {
    uint8_t byte = src_[pos >> 3];
    if (SwapBits) byte = ReversedBits(byte);
    if ((byte >> (7 - (pos & 7))) & 1) break;
    ++pos;
    if (zeros < UINT32_MAX) ++zeros;
  }
  return zeros;
}

int64_t TCCITTDecoder::FindRun() {
  const TLookupEntry* lookup = (IsWhite ? whiteLookup_ : blackLookup_)->data();
  // A code at a time while four bytes are left to look at (a byte and a
  // bit within it, in locals); the last few bits one at a time, and so are
  // make-up codes that add up to more than 32 bits hold.
  const size_t bytes = static_cast<size_t>(bitCount_ >> 3);
  size_t at = static_cast<size_t>(bitPos_ >> 3);
  unsigned bit = static_cast<unsigned>(bitPos_ & 7);
  uint32_t sum = 0;
  while (at + 4 <= bytes && sum < (1u << 30)) {
    uint32_t word;
    std::memcpy(&word, src_ + at, 4);
    word = __builtin_bswap32(word);
    if (SwapBits) word = ReversedBits32(word);
    const TLookupEntry e = lookup[(word << bit) >> (32 - kLookupBits)];
    const unsigned length = e & 15;
    const int32_t run = (e >> 4) - 2;
    if (length == 0) break;
    bit += length;
    at += bit >> 3;
    bit &= 7;
    if (run >= 64) {
      sum += static_cast<uint32_t>(run);
      continue;
    }
    bitPos_ = uint64_t{at} * 8 + bit;
    return run < 0 ? run : int64_t{sum} + run;
  }
  bitPos_ = uint64_t{at} * 8 + bit;
  return FindRunByBits(sum);
}

int64_t TCCITTDecoder::FindRunByBits(int64_t sum) {
  const TStateArray& states = IsWhite ? WhiteStates : BlackStates;
  size_t state = 0;
  for (;;) {
    if (bitPos_ >= bitCount_) return kEndOfData;
    int32_t next = states[state].NewState[Peek()];
    if (next == 0) {
      // No code goes this way. Step over the bit when nothing else was read,
      // so that every call makes progress.
      if (state == 0) ++bitPos_;
      return kInvalidCode;
    }
    ++bitPos_;
    state = static_cast<size_t>(next);
    const TStateEntry& entry = states[state];
    if (entry.NewState[0] != 0 || entry.NewState[1] != 0) continue;
    if (entry.RunLength < 0) return entry.RunLength;
    if (entry.RunLength < 64) return sum + entry.RunLength;
    sum = std::min(sum + entry.RunLength, kMaxRun);
    state = 0;
  }
}

void TCCITTDecoder::FillRun(int64_t count) {
  // Positions within a row fit 32 bits (a row is at most 2^32 pixels).
  const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(count), restWidth_));
  if (!IsWhite) PaintBlack(dest_, destSize_, pixel_, n);
  pixel_ += n;
  restWidth_ -= n;
}

int64_t TCCITTDecoder::PlainRuns(bool& Found) {
  // Everything in locals, which no painted byte can change.
  const size_t bytes = static_cast<size_t>(bitCount_ >> 3);
  size_t at = static_cast<size_t>(bitPos_ >> 3);
  unsigned bit = static_cast<unsigned>(bitPos_ & 7);
  uint32_t pixel = pixel_, rest = restWidth_;
  bool white = IsWhite;
  const TLookupEntry* const whiteLookup = whiteLookup_->data();
  const TLookupEntry* const blackLookup = blackLookup_->data();
  int64_t result = 0;
  while (at + 4 <= bytes) {
    uint32_t word;
    std::memcpy(&word, src_ + at, 4);
    word = __builtin_bswap32(word);
    if (SwapBits) word = ReversedBits32(word);
    const TLookupEntry e = (white ? whiteLookup : blackLookup)[(word << bit) >> (32 - kLookupBits)];
    const unsigned length = e & 15;
    const int32_t run = (e >> 4) - 2;
    // Make-up codes, and a bit pattern no code begins with, are FindRun's.
    if (length == 0 || run >= 64) break;
    bit += length;
    at += bit >> 3;
    bit &= 7;
    if (run < 0) {
      result = run;
      break;
    }
    Found = true;
    const uint32_t n = std::min(static_cast<uint32_t>(run), rest);
    if (!white) PaintBlack(dest_, destSize_, pixel, n);
    pixel += n;
    rest -= n;
    if (rest == 0) {
      result = kRowComplete;
      break;
    }
    white = !white;
  }
  bitPos_ = uint64_t{at} * 8 + bit;
  pixel_ = pixel;
  restWidth_ = rest;
  IsWhite = white;
  return result;
}

bool TCCITTDecoder::SkipEndOfLines() {
  bool found = false;
  for (;;) {
    uint32_t zeros = CountZeros();
    if (zeros < 11 || bitPos_ + zeros >= bitCount_) return found;
    bitPos_ += zeros + 1;
    found = true;
  }
}

void TCCITTDecoder::SkipToEndOfLine() {
  while (bitPos_ < bitCount_) {
    uint32_t zeros = CountZeros();
    bitPos_ = std::min(bitCount_, bitPos_ + zeros + 1);
    if (zeros >= 11) return;
  }
}

void TCCITTDecoder::AlignSource(uint32_t bytes) {
  uint64_t unit = uint64_t{bytes} * 8;
  bitPos_ = std::min(bitCount_, (bitPos_ + unit - 1) / unit * unit);
}

void TCCITTFax3Decoder::DecodeInit() {
  if (Options & 1) CompressionError("CCITT group 3 fax with two-dimensional coding is not supported.");
  if (Options & 2) CompressionError("CCITT group 3 fax with uncompressed mode is not supported.");
}

bool TCCITTFax3Decoder::DecodeRow() {
  while (More && BitsLeft()) {
    SkipEndOfLines();
    bool coded = false;
    for (;;) {
      int64_t run = PlainRuns(coded);
      if (run == kRowComplete) break;
      if (run == 0) run = FindRun();
      if (run == kEndOfData) {
        More = false;
        break;
      }
      // An end of line before the width is reached leaves the rest of the row
      // white; the next row starts right after it.
      if (run == kEndOfLine) break;
      // A damaged row still takes its place, so the rows after it stay
      // where they belong.
      if (run == kInvalidCode) {
        coded = true;
        SkipToEndOfLine();
        break;
      }
      coded = true;
      FillRun(run);
      if (RowComplete()) break;
      IsWhite = !IsWhite;
    }
    if (coded) return true;
  }
  return false;
}

bool TCCITTMHDecoder::DecodeRow() {
  if (!More || !BitsLeft()) return false;
  bool found = false;
  while (!RowComplete()) {
    int64_t run = PlainRuns(found);
    if (run == kRowComplete) break;
    if (run == 0) run = FindRun();
    if (run == kEndOfData) {
      More = false;
      break;
    }
    // Other codes than runs count as runs of nothing.
    if (run > 0) FillRun(run);
    IsWhite = !IsWhite;
  }
  // Each row's code starts on a new byte (a new 16-bit word when aligned).
  AlignSource(WordAligned ? 2 : 1);
  return true;
}

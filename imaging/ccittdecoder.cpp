#include "imaging/ccittdecoder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "imaging/ccittcodes.h"
#include "imaging/samplehelpers.h"

namespace {

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

}  // namespace

TCCITTDecoder::TCCITTDecoder(uint32_t Options, bool SwapBits, bool WordAligned, uint32_t Width)
    : Options(Options), SwapBits(SwapBits), Width(Width), WordAligned(WordAligned) {
  BuildTree(WhiteStates, kWhiteCodes, kWhiteCodeCount);
  BuildTree(BlackStates, kBlackCodes, kBlackCodeCount);
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
  destSize_ = Size;
  std::memset(dest_, 0, static_cast<size_t>(destSize_));
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
  const TStateArray& states = IsWhite ? WhiteStates : BlackStates;
  int64_t sum = 0;
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
  uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(count), restWidth_);
  if (!IsWhite) {
    uint64_t a = pixel_, e = pixel_ + n;
    while (a < e) {
      uint64_t index = a >> 3;
      if (index >= destSize_) break;
      unsigned offset = static_cast<unsigned>(a & 7);
      if (offset == 0 && e - a >= 8) {
        uint64_t whole = std::min((e - a) / 8, destSize_ - index);
        std::memset(dest_ + index, 0xFF, static_cast<size_t>(whole));
        a += whole * 8;
        continue;
      }
      unsigned k = static_cast<unsigned>(std::min<uint64_t>(8 - offset, e - a));
      dest_[index] |= static_cast<uint8_t>((0xFFu >> offset) & ~(0xFFu >> (offset + k)));
      a += k;
    }
  }
  pixel_ += n;
  restWidth_ -= n;
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
      int64_t run = FindRun();
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
  while (!RowComplete()) {
    int64_t run = FindRun();
    if (run == kEndOfData) {
      More = false;
      break;
    }
    if (run > 0) FillRun(run);
    IsWhite = !IsWhite;
  }
  // Each row's code starts on a new byte (a new 16-bit word when aligned).
  AlignSource(WordAligned ? 2 : 1);
  return true;
}

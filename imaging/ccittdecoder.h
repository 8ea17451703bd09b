// One-dimensional CCITT codecs for bilevel TIFF images: group 3 fax with
// end-of-line codes (compression 3) and modified Huffman rows (compression 2,
// and 32771 whose rows start on 16-bit boundaries of the packed data).
// Output: 1 bit per pixel, most significant bit first, black = 1, each row
// starting on a new byte.
#pragma once

#include <vector>

#include "imaging/decoder.h"
#include "imaging/rowpieces.h"

class TCCITTDecoder : public TDecoder {
public:
  // Options are the TIFF group 3 options; SwapBits reads each packed byte
  // least significant bit first (fill order 2); WordAligned applies to
  // modified Huffman rows only.
  TCCITTDecoder(uint32_t Options, bool SwapBits, bool WordAligned, uint32_t Width);

  // Clears the destination and decodes rows into it until it is full or
  // the data is spent.
  void Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
              int64_t UnpackedSize) override;
  void DecodeBegin(const uint8_t* Source, int64_t PackedSize) override;
  uint64_t DecodeNext(uint8_t* Dest, int64_t Room) override;
  void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t&) override {}

protected:
  struct TStateEntry {
    int32_t NewState[2] = {0, 0};  // 0 = no branch for that bit
    int32_t RunLength = 0;
  };
  using TStateArray = std::vector<TStateEntry>;

  static constexpr int64_t kEndOfLine = -1;
  static constexpr int64_t kInvalidCode = -2;
  static constexpr int64_t kEndOfData = -3;

  // Decodes the next row into the one StartRow set up; answers whether the
  // data held a row.
  virtual bool DecodeRow() = 0;
  // Where the next row goes: Size bytes at Row (no more are written),
  // cleared to white.
  void StartRow(uint8_t* Row, uint64_t Size);
  static constexpr int64_t kRowComplete = -4;
  // The next run of the current colour (make-up codes added up), or one of
  // the negative codes above.
  int64_t FindRun();
  // Runs found, painted and the colour turned after each, as long as they
  // are plain runs read from whole words: kRowComplete when the row is
  // complete (the colour not turned after the last run), the negative code
  // found (consumed), or 0 when FindRun is to find the next run. Found is
  // set when a run was painted.
  int64_t PlainRuns(bool& Found);
  // Paints count pixels of the current colour, cut at the end of the row.
  void FillRun(int64_t count);
  bool RowComplete() const { return restWidth_ == 0; }
  bool BitsLeft() const { return bitPos_ < bitCount_; }
  // Consumes end-of-line codes (with any fill bits before them) at the
  // current position; returns whether one was found.
  bool SkipEndOfLines();
  // Skips everything up to and including the next end-of-line code.
  void SkipToEndOfLine();
  void AlignSource(uint32_t bytes);

  uint32_t Options;
  bool IsWhite = true;
  bool SwapBits;
  TStateArray WhiteStates;
  TStateArray BlackStates;
  uint32_t Width;
  bool WordAligned;
  bool More = true;  // the data has not run out inside a code

private:
  uint64_t Produce(uint8_t* Dest, uint64_t Room, bool Carry);

  int Peek() const;
  uint32_t CountZeros() const;
  // FindRun one bit at a time, with Sum of the make-up codes so far.
  int64_t FindRunByBits(int64_t Sum);

  // Every code is at most this long: one look at the next bits finds it.
  static constexpr unsigned kLookupBits = 13;
  // What those bits begin with, in 16 bits so that both tables stay in the
  // nearest cache: a code of (entry & 15) bits whose run is (entry >> 4) - 2
  // (the negative codes above included), or no code (0 bits).
  using TLookupEntry = uint16_t;
  const std::vector<TLookupEntry>* whiteLookup_;
  const std::vector<TLookupEntry>* blackLookup_;

  const uint8_t* src_ = nullptr;
  uint64_t bitPos_ = 0;
  uint64_t bitCount_ = 0;
  uint8_t* dest_ = nullptr;  // the current row
  uint32_t destSize_ = 0;
  uint32_t pixel_ = 0;  // position within the current row
  uint32_t restWidth_ = 0;
  TRowPieces pieces_;
};

class TCCITTFax3Decoder : public TCCITTDecoder {
public:
  using TCCITTDecoder::TCCITTDecoder;
  // Two-dimensional coding and uncompressed mode (bits 0 and 1 of Options)
  // are refused here, and by every block's start.
  void DecodeInit() override;

private:
  bool DecodeRow() override;
};

class TCCITTMHDecoder : public TCCITTDecoder {
public:
  using TCCITTDecoder::TCCITTDecoder;

private:
  bool DecodeRow() override;
};

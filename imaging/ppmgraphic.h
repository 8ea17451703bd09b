// The portable maps: bitmaps, grey maps and pixel maps, each as decimal text
// (magic digits 1 to 3) or as binary bytes (4 to 6), with 8- or 16-bit
// samples.
#pragma once

#include <string>

#include "imaging/imaginggraphic.h"

class TPPMGraphic : public TImagingGraphic {
public:
  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  static bool CanLoadFromStream(TStream& stream);
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  void LoadFromStream(TStream& stream) override;

private:
  static constexpr uint32_t kBufferSize = 4096;

  // The read-ahead buffer: GetChar raises the reader's stream error at the
  // end of the data; PeekChar answers 0 when the buffer is used up.
  uint8_t GetChar();
  uint8_t PeekChar() const { return index_ < filled_ ? buffer_[index_] : 0; }
  bool Refill();
  // The next header number: white space and comments before it are passed
  // over, anything else there is refused, and one byte after it is taken.
  uint32_t GetNumber();
  // The rest of a line (its text up to its first "#").
  std::string ReadLine();
  void ReadBytes(uint8_t* target, uint64_t count);
  // Bytes still to come: those in the buffer and those in the stream.
  uint64_t BytesAhead();

  void LoadPlainBitmap(uint32_t width, uint32_t height);
  void LoadPlainSamples(uint32_t width, uint32_t height, uint32_t samples);
  void LoadBinarySamples(uint32_t width, uint32_t height, uint32_t samples);

  TStream* source_ = nullptr;  // the stream the header was read from
  uint8_t buffer_[kBufferSize] = {};
  uint32_t index_ = 0;
  uint32_t filled_ = 0;
  uint32_t magic_ = 0;
  uint32_t maxValue_ = 0;
};

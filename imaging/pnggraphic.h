// Portable Network Graphics: every colour type and bit depth, Adam7
// interlacing, palettes, gamma, background and transparent colours. Chunks
// whose data is read have their CRC checked.
#pragma once

#include <memory>
#include <vector>

#include "classlib/palette.h"
#include "imaging/imaginggraphic.h"

class TLZ77Decoder;

class TPNGGraphic : public TImagingGraphic {
public:
  TPNGGraphic();
  ~TPNGGraphic() override;

  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  static bool CanLoadFromStream(TStream& stream);
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  void LoadFromStream(TStream& stream) override;

  // Undoes one row filter in place: Row holds Count bytes after the filter
  // byte, Prior the row before (zeros before the first row of a pass).
  static void ApplyFilter(uint8_t Filter, uint8_t* Row, uint32_t Count, uint32_t BytesPerPixel,
                          const uint8_t* Prior);
  static uint8_t PaethPredictor(uint8_t a, uint8_t b, uint8_t c);

private:
  bool IsChunk(const char* name) const;
  // At the end of the stream the walk finds an empty "IEND": a file cut off
  // after its last whole chunk ends there.
  void ReadChunkHeader(TStream& stream);
  void ReadDataAndCheckCRC(TStream& stream);
  void SkipChunk(TStream& stream);
  // Fills Buffer with Count inflated bytes; false when the image data ended
  // before the buffer was full.
  bool LoadIDAT(uint8_t* buffer, uint32_t count);
  uint32_t SetupColorDepth(uint8_t colorType, uint8_t bitDepth);
  void LoadBackgroundColor(const uint8_t* header);
  void LoadTransparency(const uint8_t* header);
  void LoadImageData(const uint8_t* header);
  // A grey level of the file's depth, or a palette index, as the colour the
  // bitmap shows for it.
  TColor IndexedColor(uint32_t index) const;
  // Rows First to the last show the background colour.
  void FillRowsFrom(uint32_t first);
  uint16_t ScaledSample(const uint8_t* header, size_t offset) const;

  std::unique_ptr<TLZ77Decoder> decoder_;
  uint32_t idatLeft_ = 0;
  std::vector<uint8_t> chunkData_;
  const uint8_t* idatPointer_ = nullptr;
  uint32_t chunkLength_ = 0;
  uint8_t chunkType_[4] = {};
  uint32_t crc_ = 0;
  uint32_t bytesPerPixel_ = 1;
  bool formatReady_ = false;
  bool imageDone_ = false;
  std::vector<TPaletteEntry> palette_;
  TColor transparentColor_ = clNone;
  TColor backgroundColor_ = clWhite;
  // A grey level or palette index from "bKGD" / a grey level from "tRNS",
  // turned into colours once the bitmap's colours are known; -1 for none.
  int32_t backgroundIndex_ = -1;
  int32_t transparentIndex_ = -1;
};

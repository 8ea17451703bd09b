// Truevision Targa images: 8-bit indexed or grey and 15-, 16-, 24- and
// 32-bit true colour, uncompressed or run-length encoded. The one format the
// library also writes.
#pragma once

#include "imaging/imaginggraphic.h"

class TTargaGraphic : public TImagingGraphic {
public:
  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  static bool CanLoadFromStream(TStream& stream);
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  void LoadFromStream(TStream& stream) override;

  // Run-length encoded unless Compressed is false.
  void SaveToStream(TStream& stream) override { SaveToStreamCompressed(stream, true); }
  void SaveToStreamCompressed(TStream& stream, bool compressed);

private:
  void ReadColorMap(TStream& stream, uint32_t length, uint8_t entrySize);
  void ReadRows(TStream& stream, uint64_t rowBytes, bool topDown);
  void DecodeRows(TStream& stream, uint64_t rowBytes, uint8_t pixelSize, bool topDown);
};

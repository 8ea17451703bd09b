// The first image of a GIF file (87a and 89a) as an 8-bit palette bitmap.
// Extension blocks are passed over: no transparency, no animation.
#pragma once

#include "imaging/imaginggraphic.h"

class TGIFGraphic : public TImagingGraphic {
public:
  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  static bool CanLoadFromStream(TStream& stream);
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  void LoadFromStream(TStream& stream) override;

private:
  // Reads and passes over blocks up to an image descriptor or the trailer;
  // returns the byte that stopped it (0x2C or 0x3B).
  uint8_t SkipSubBlocks(TStream& stream);
  void ReadColorTable(TStream& stream, uint8_t flags);
};

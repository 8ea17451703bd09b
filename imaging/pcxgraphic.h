// ZSoft Paintbrush images and Word 5.x screen captures: 1 to 8 bits in one
// plane, 16 colours in four bit planes and 24-bit colour in three byte
// planes, uncompressed or run-length encoded.
#pragma once

#include "imaging/imaginggraphic.h"

class TPCXGraphic : public TImagingGraphic {
public:
  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  static bool CanLoadFromStream(TStream& stream);
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  void LoadFromStream(TStream& stream) override;

private:
  void MakePalette(const uint8_t* header);
};

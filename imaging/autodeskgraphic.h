// Autodesk animator cel and picture files: 8-bit pixels, uncompressed, with
// a 6-bit palette in the file.
#pragma once

#include "imaging/imaginggraphic.h"

class TAutodeskGraphic : public TImagingGraphic {
public:
  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  static bool CanLoadFromStream(TStream& stream);
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  void LoadFromStream(TStream& stream) override;
};

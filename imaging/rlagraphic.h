// Wavefront RLA pictures ("rla", "rpf"): RGB with or without a matte
// (alpha) channel, and single-channel grey, each channel of each row packed
// on its own.
#pragma once

#include "imaging/imaginggraphic.h"

class TRLAGraphic : public TImagingGraphic {
public:
  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  // A header of revision 0xFFFE whose channel space is "rgb" or "xyz"; the
  // position is left where it was.
  static bool CanLoadFromStream(TStream& stream);
  // Fills ImageProperties from the header; false for "xyz" pictures.
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  // Loads nothing from an "xyz" picture; damaged files raise EInvalidGraphic
  // or the stream's own error.
  void LoadFromStream(TStream& stream) override;
};

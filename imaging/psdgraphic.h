// Photoshop pictures ("psd", "pdd"): the merged image that follows the
// layers, in bitmap, grey, duotone, indexed, RGB, multichannel, CMYK and Lab
// modes, raw or with PackBits rows.
#pragma once

#include "imaging/imaginggraphic.h"

class TPSDGraphic : public TImagingGraphic {
public:
  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  // "8BPS" in any case and version 1; the position is left where it was.
  static bool CanLoadFromStream(TStream& stream);
  // Fills ImageProperties from the header (the signature exactly "8BPS")
  // and leaves the stream after the image data's compression word.
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  // Damaged files raise EInvalidGraphic or the stream's own error.
  void LoadFromStream(TStream& stream) override;
};

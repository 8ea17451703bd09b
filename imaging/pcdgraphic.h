// Photo-CD image packs ("pcd"): the Base picture of 768 x 512 pixels, its
// luma plane and two half-size chroma planes, turned upright when the pack
// says it was taken turned.
#pragma once

#include "imaging/imaginggraphic.h"

class TPCDGraphic : public TImagingGraphic {
public:
  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  // More than 6144 bytes, and "PCD_OPA" at the start (an overview pack) or
  // "PCD" at byte 2048; the position is left where it was.
  static bool CanLoadFromStream(TStream& stream);
  // Fills ImageProperties for resolution step ImageIndex (0 = 192 x 128 up
  // to 5 = 6144 x 4096; above 5 counts as 5).
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  // Loads the Base picture. A stream that is no image pack (an overview
  // pack included, whose thumbnails are not read) loads nothing; one that
  // ends early raises the stream's read error.
  void LoadFromStream(TStream& stream) override;
};

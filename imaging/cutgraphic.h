// Dr. Halo cut files: 8-bit run-length encoded rows whose palette lives in a
// companion file of the same name with the extension ".pal".
#pragma once

#include <string>

#include "imaging/imaginggraphic.h"

class TCUTGraphic : public TImagingGraphic {
public:
  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  // Cut files carry no signature: no stream is claimed.
  static bool CanLoadFromStream(TStream& stream);
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  void LoadFromFile(const std::string& fileName) override;
  void LoadFromStream(TStream& stream) override;

private:
  // The palette file's colours, or a grey ramp when there is none.
  void LoadPalette();

  std::string paletteFile_;  // set only while a file loads
};

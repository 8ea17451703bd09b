// SGI image files: one to four channels stored as separate planes, rows
// bottom to top, uncompressed or run-length encoded row by row.
#pragma once

#include <memory>
#include <vector>

#include "imaging/imaginggraphic.h"

class TSGIRLEDecoder;

class TSGIGraphic : public TImagingGraphic {
public:
  TSGIGraphic();
  ~TSGIGraphic() override;

  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  static bool CanLoadFromStream(TStream& stream);
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  void LoadFromStream(TStream& stream) override;

private:
  // Fills each target that is given (a channel may be left out) with that
  // channel's samples of one row, counted from the bottom.
  void ReadAndDecode(uint8_t* const targets[4], uint32_t row, uint32_t bytesPerChannel);

  std::vector<uint32_t> rowStart_;
  std::vector<uint32_t> rowSize_;
  std::unique_ptr<TSGIRLEDecoder> decoder_;
  std::vector<uint8_t> packed_;
};

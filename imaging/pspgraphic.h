// Paint Shop Pro pictures ("psp", major versions 3 and later): the first
// raster layer, its channels raw, run-length packed or deflated.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/imaginggraphic.h"

class TPSPGraphic : public TImagingGraphic {
public:
  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  // "Paint Shop Pro Image File" and a major version of 3 or more; the
  // position is left where it was.
  static bool CanLoadFromStream(TStream& stream);
  // Fills ImageProperties from the general image attributes.
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  // Damaged files raise EInvalidGraphic or the stream's and codecs' errors;
  // JPEG-compressed channels raise "... not supported for PSP files.".
  void LoadFromStream(TStream& stream) override;

private:
  struct TBlock {
    uint16_t Id = 0;
    int64_t End = 0;  // stream position just past the block
    bool Valid = false;
  };
  // The block header at the stream's position; false when no header is left.
  bool ReadBlockHeader(TStream& stream, TBlock& block);
  void ReadGeneralAttributes(TStream& stream);
  // One channel block into the buffer of its channel type (0 composite or
  // index, 1 red, 2 green, 3 blue); others are passed over.
  void ReadChannel(TStream& stream, std::vector<uint8_t> (&buffers)[4], uint64_t size);
  void DecompressChannel(TStream& stream, uint32_t packed, std::vector<uint8_t>& buffer, uint32_t unpacked);
};

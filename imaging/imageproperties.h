// The record that every image reader fills from a file's header and that the
// decoders read.
#pragma once

#include <cstdint>
#include <vector>

using TCardinalArray = std::vector<uint32_t>;
using TByteArray = std::vector<uint8_t>;

// Flags of TImageProperties::Options.
enum : uint8_t {
  ioTiled = 1,
  ioBigEndian = 2,
  ioMinIsWhite = 4,
  ioReversedBits = 8,
};

// Codes of TImageProperties::Compression.
enum TCompressionType : uint8_t {
  ctUnknown = 0,
  ctNone = 1,
  ctRLE = 2,
  ctPackedBits = 3,
  ctLZW = 4,
  ctFax3 = 5,
  ctFaxRLE = 6,
  ctFax4 = 7,
  ctFaxRLEW = 8,
  ctLZ77 = 9,
  ctJPEG = 10,
  ctOJPEG = 11,
  ctThunderscan = 12,
  ctNext = 13,
  ctIT8CTPAD = 14,
  ctIT8LW = 15,
  ctIT8MP = 16,
  ctIT8BL = 17,
  ctPixarFilm = 18,
  ctPixarLog = 19,
  ctDCS = 20,
  ctJBIG = 21,
  ctPCDHuffmann = 22,
};

struct TImageProperties {
  uint32_t Version = 0;
  uint8_t Options = 0;
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint8_t ColorScheme = 0;
  uint8_t BitsPerSample = 0;
  uint8_t SamplesPerPixel = 0;
  uint8_t BitsPerPixel = 0;
  uint8_t Compression = 0;
  float FileGamma = 1.0f;
  float XResolution = 0;
  float YResolution = 0;
  bool Interlaced = false;
  bool HasAlpha = false;
  uint32_t FirstIFD = 0;
  uint32_t PlanarConfig = 0;
  uint32_t CurrentRow = 0;
  uint32_t TileWidth = 0;
  uint32_t TileLength = 0;
  uint32_t BytesPerLine = 0;
  TCardinalArray RowsPerStrip;
  TByteArray YCbCrSubsampling;
  TByteArray JPEGTables;
  uint32_t JPEGColorMode = 0;
  uint32_t JPEGTablesMode = 0;
  uint32_t CurrentStrip = 0;
  uint32_t StripCount = 0;
  uint32_t Predictor = 0;
  bool Overview = false;
  uint8_t Rotate = 0;
  uint16_t ImageCount = 0;
  bool LocalColorTable = false;
  bool BottomUp = false;
  uint8_t Channels = 0;
  uint8_t FilterMode = 0;
};

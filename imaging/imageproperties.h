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
  // The file gives its gamma (FileGamma) and the reader corrects the pixels
  // for it: the colour manager's GammaCorrect target option is on.
  ioFileGamma = 16,
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

// Plain fields, read from a file's header. The three arrays are the only
// owned members: emptying the record (assigning TImageProperties{}) releases
// them and copying it copies them. A new or emptied record has FileGamma 1.0
// and every other field 0. Sizes kept here are what the file says; readers
// size their buffers through ImageRowBytes/ImageBytes (readerhelpers.h), not
// from the 8-bit BitsPerPixel, which wraps for unusual sample layouts.
struct TImageProperties {
  uint32_t Version = 0;  // as the reader reads it: TIFF 42, GIF 87 or 89, ...
  uint8_t Options = 0;   // io* flags above
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint8_t ColorScheme = 0;  // a ColorScheme code (colormanager.h); 0 not recognised
  uint8_t BitsPerSample = 0;
  uint8_t SamplesPerPixel = 0;
  uint8_t BitsPerPixel = 0;  // SamplesPerPixel * BitsPerSample
  uint8_t Compression = 0;   // a TCompressionType code
  float FileGamma = 1.0f;    // the file's gamma (PNG, RLA); 1.0 when it gives none
  float XResolution = 0;     // dots per inch (a file in dots per cm is converted)
  float YResolution = 0;
  bool Interlaced = false;  // GIF, PNG
  bool HasAlpha = false;    // TIFF, PNG
  // TIFF
  uint32_t FirstIFD = 0;
  uint32_t PlanarConfig = 0;
  uint32_t CurrentRow = 0;  // decoding state, 0 when decoding starts
  uint32_t TileWidth = 0;
  uint32_t TileLength = 0;
  uint32_t BytesPerLine = 0;  // of one decoded row
  TCardinalArray RowsPerStrip;
  TByteArray YCbCrSubsampling;  // horizontal, vertical
  TByteArray JPEGTables;
  uint32_t JPEGColorMode = 0;
  uint32_t JPEGTablesMode = 0;
  uint32_t CurrentStrip = 0;
  uint32_t StripCount = 0;
  uint32_t Predictor = 0;  // 2 = horizontal differencing
  // Photo-CD
  bool Overview = false;
  uint8_t Rotate = 0;  // 0 to 3; 1 and 3 swap Width and Height
  uint16_t ImageCount = 0;
  // GIF, RLA, Photoshop, PNG
  bool LocalColorTable = false;
  bool BottomUp = false;
  uint8_t Channels = 0;  // as stored in the file
  uint8_t FilterMode = 0;
};

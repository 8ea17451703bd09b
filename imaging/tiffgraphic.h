// TIFF pictures ("tif", "tiff", "fax"): the first image of a file, strip by
// strip, uncompressed or with the codecs of this library, and the TIFF
// preview of an Encapsulated PostScript file ("eps").
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/imaginggraphic.h"
#include "imaging/tiffdirectory.h"

class TDecoder;

class TTIFFGraphic : public TImagingGraphic {
public:
  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  // "II" or "MM", version 42 and a first directory inside the stream; the
  // position is left where it was.
  static bool CanLoadFromStream(TStream& stream);
  // Fills ImageProperties from the header and the directory ImageIndex
  // (0 = the first); false when the stream holds no TIFF or the image has no
  // size.
  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override;
  // Loads the first image. Damaged files raise EInvalidGraphic (or the
  // stream's, codec's and colour manager's own errors); tiled images and
  // compression schemes without a codec raise "... not supported for
  // TIF/TIFF files.".
  void LoadFromStream(TStream& stream) override;
  // Saving a TIFF writes nothing.
  void SaveToStream(TStream& /*stream*/) override {}

private:
  struct TStripLayout;
  struct TRowShape;
  // One plane's strips as they are decoded: the codec (none for
  // uncompressed strips), the current strip's stored bytes and where the
  // rest of it lies in the file, and the rows of the current piece.
  struct TStripReader {
    std::unique_ptr<TDecoder> decoder;
    std::vector<uint8_t> packed;
    int64_t at = 0;
    uint64_t left = 0;
    std::vector<uint8_t> rows;
    TStripReader() = default;
    TStripReader(TStripReader&&) = default;
    // Ends the codec, whatever ended the load.
    ~TStripReader();
  };
  using TStripReaders = std::vector<TStripReader>;

  void ConfigureColors(TStream& stream, TRowShape& shape);
  void ReadPalette(TStream& stream);
  std::unique_ptr<TDecoder> MakeDecoder(TStream& stream);
  // Fills the layout's strip offsets and the bytes each strip may be read
  // from; answers how many bytes of the file the strips really hold.
  uint64_t MeasureStrips(TStream& stream, TStripLayout& layout);
  void LoadStrips(TStream& stream, const TStripLayout& layout, TStripReaders& readers, TRowShape& shape);
  // Rows of an uncompressed strip read into the bitmap and converted there.
  void LoadRowsInPlace(TStream& stream, const TStripLayout& layout, uint32_t Strip, uint32_t Rows);
  // Starts strip Index: a codec gets its stored bytes.
  void BeginStrip(TStream& stream, const TStripLayout& layout, uint32_t Index, TStripReader& reader);
  // The next Bytes of the strip's rows into the reader's rows (zeros where
  // the data falls short).
  void ReadPiece(TStream& stream, TStripReader& reader, uint64_t Bytes);
  // Whether strips are stored least significant bit first and are turned
  // round before they are decoded.
  bool ReversedStripBits() const;

  TTIFFDirectory directory_;
  std::vector<float> yCbCrCoefficients_;
};

class TEPSGraphic : public TTIFFGraphic {
public:
  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  // The binary EPS header (C5 D0 D3 C6) with a TIFF preview in the stream.
  static bool CanLoadFromStream(TStream& stream);
  // Loads the TIFF preview; a stream without the header raises
  // "Cannot load image. Invalid or unexpected EPS image format.".
  void LoadFromStream(TStream& stream) override;
};

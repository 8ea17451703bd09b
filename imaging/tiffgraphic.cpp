#include "imaging/tiffgraphic.h"

#include <algorithm>
#include <limits>

#include "classlib/bytereader.h"
#include "classlib/streams.h"
#include "imaging/ccittdecoder.h"
#include "imaging/colormanager.h"
#include "imaging/imagingerror.h"
#include "imaging/imagingtexts.h"
#include "imaging/jpegdecoder.h"
#include "imaging/lz77decoder.h"
#include "imaging/lzwdecoder.h"
#include "imaging/packedlimits.h"
#include "imaging/predictor.h"
#include "imaging/readerhelpers.h"
#include "imaging/rledecoders.h"
#include "imaging/samplehelpers.h"
#include "imaging/thunderdecoder.h"
#include "imaging/tiffsamples.h"

namespace {

enum : uint16_t {
  kTagWidth = 256, kTagHeight = 257, kTagBitsPerSample = 258, kTagCompression = 259,
  kTagPhotometric = 262, kTagFillOrder = 266, kTagStripOffsets = 273, kTagSamplesPerPixel = 277,
  kTagRowsPerStrip = 278, kTagStripByteCounts = 279, kTagXResolution = 282, kTagYResolution = 283,
  kTagPlanarConfig = 284, kTagGroup3Options = 292, kTagResolutionUnit = 296, kTagPredictor = 317,
  kTagColorMap = 320, kTagTileWidth = 322, kTagTileLength = 323, kTagExtraSamples = 338,
  kTagJPEGTables = 347, kTagYCbCrCoefficients = 529, kTagYCbCrSubsampling = 530,
};

// Directories walked to reach a later image; a chain that loops or never
// ends gives up here.
constexpr uint32_t kMaxDirectories = 4096;
// A picture whose strips decode to more than their stored bytes times the
// codec's best ratio (plus this much, for small files cut short) is a damaged
// header, refused before its bitmap is made.
constexpr uint64_t kExpansionSlack = 1024 * 1024;
constexpr uint32_t kMaxColorMapValues = 3 * 65536;

// What one codec can do with the bytes of a strip: the most decoded bytes
// one stored byte gives (its best ratio), and how many times its decoded
// size the codec ever needs to store a strip (its worst), so that a strip
// whose byte count is missing or absurd is read no further than it could
// reach. Codecs whose best ratio is huge are believed only up to a picture
// of moderate size (TooThinForItsSize), as PNG, GIF and Paint Shop Pro
// pictures are.
struct TCodecBounds {
  uint64_t expansion;
  uint64_t packing;
  bool largePicturesNeedData = false;
};

TCodecBounds BoundsOf(uint8_t compression) {
  switch (compression) {
    // two bytes give a run of 128; a literal run of 128 takes 129
    case ctPackedBits: return {64, 2};
    // one byte repeats the last pixel up to 63 times (4-bit pixels)
    case ctThunderscan: return {32, 2};
    // a blank row takes a few bits per 2560 pixels; one-pixel runs up to 9
    case ctFaxRLE: case ctFaxRLEW: case ctFax3: return {256, 8};
    case ctLZ77: return {kMaxDeflateExpansion, 2, true};
    // one bit per 8 x 8 block, chroma sampled 4 by 4
    case ctJPEG: return {1536, 4, true};
    case ctLZW: return {kMaxLzwExpansion, 2, true};
    default: return {1, 1};
  }
}
// Strips are decoded this many bytes at a time (at least one row): never
// the whole strip beside the bitmap.
constexpr uint64_t kPieceBytes = 256 * 1024;
// Room for what a writer puts around a strip's data (JPEG tables, padding).
constexpr uint64_t kPackingSlack = 4 * 1024;
// Strips are read from the file at most this many times over: more means
// strip tables that point at the same bytes again and again.
constexpr uint64_t kMaxRereads = 4;

uint8_t CompressionCode(uint32_t tiff) {
  switch (tiff) {
    case 1: return ctNone;
    case 2: return ctFaxRLE;
    case 3: return ctFax3;
    case 4: return ctFax4;
    case 5: return ctLZW;
    case 6: return ctOJPEG;
    case 7: return ctJPEG;
    case 8: case 32946: return ctLZ77;
    case 32766: return ctNext;
    case 32771: return ctFaxRLEW;
    case 32773: return ctPackedBits;
    case 32809: return ctThunderscan;
    case 32895: return ctIT8CTPAD;
    case 32896: return ctIT8LW;
    case 32897: return ctIT8MP;
    case 32898: return ctIT8BL;
    case 32908: return ctPixarFilm;
    case 32909: return ctPixarLog;
    case 32947: return ctDCS;
    case 34661: return ctJBIG;
    default: return ctUnknown;
  }
}

ColorScheme SchemeOf(uint32_t photometric, uint32_t samples) {
  switch (photometric) {
    case 0: case 1: return ColorScheme::Gray;
    case 2: return samples < 4 ? ColorScheme::Rgb : ColorScheme::Rgba;
    case 3: return ColorScheme::PaletteIndex;
    case 5: return ColorScheme::Cmyk;
    case 6: return ColorScheme::YCbCr;
    case 8: return ColorScheme::Lab;
    default: return ColorScheme::NoScheme;
  }
}

[[noreturn]] void Unsupported(const char* what) { ImagingErrorFmt(kUnsupportedFeature, {what, kFormatTIFF}); }
[[noreturn]] void Invalid() { ImagingErrorFmt(kInvalidImage, {kFormatTIFF}); }

bool Indexed(ColorScheme s) {
  return s == ColorScheme::PaletteIndex || s == ColorScheme::Gray || s == ColorScheme::GrayAlpha;
}

}  // namespace

struct TTIFFGraphic::TStripLayout {
  TCardinalArray offsets;
  std::vector<uint64_t> extents;  // bytes each strip may take from the file
  uint32_t planes = 1;            // strips of separate planes, or one of interleaved samples
  uint64_t rowBytes = 0;          // of one decoded row of one strip
  uint32_t rowsPerStrip = 0;
  uint32_t stripsPerPlane = 0;
};

// How a row of the file becomes a row of the bitmap besides the colour
// manager's conversion.
struct TTIFFGraphic::TRowShape {
  uint32_t keep = 0;         // samples a pixel keeps when the file has more; 0: all
  uint32_t bytesPerSample = 1;
  std::unique_ptr<TSampleLookup> lookup;  // indices to colours, when set
  std::vector<uint8_t> scratch;
  // Interleaved 8-bit RGB or RGBA: a row only changes its channel order, so
  // an uncompressed one is read straight into the bitmap and turned round
  // there.
  bool inPlace = false;
};

TGraphicClass TTIFFGraphic::StaticClass() {
  return GraphicClassOf<TTIFFGraphic, TImagingGraphic>("TTIFFGraphic");
}

bool TTIFFGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition restore(stream);
  const int64_t left = BytesLeft(stream);
  if (left < 9) return false;
  uint8_t h[8];
  ReadExact(stream, h, 8);
  const bool big = h[0] == 'M' && h[1] == 'M';
  if (!big && !(h[0] == 'I' && h[1] == 'I')) return false;
  const uint32_t version = big ? ReadBe16(h, 2) : ReadLe16(h, 2);
  const uint32_t ifd = big ? ReadBe32(h, 4) : ReadLe32(h, 4);
  return version == 42 && ifd < left;
}

bool TTIFFGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  TImageProperties& p = ImageProperties;
  const int64_t base = stream.Position();
  if (BytesLeft(stream) < 8) return false;
  uint8_t h[8];
  ReadExact(stream, h, 8);
  const bool big = h[0] == 'M' && h[1] == 'M';
  if (!big && !(h[0] == 'I' && h[1] == 'I')) return false;
  p.Version = big ? ReadBe16(h, 2) : ReadLe16(h, 2);
  p.FirstIFD = big ? ReadBe32(h, 4) : ReadLe32(h, 4);
  if (big) p.Options |= ioBigEndian;
  if (p.Version != 42) return false;

  uint32_t offset = p.FirstIFD;
  directory_.Read(stream, base, offset, big);
  std::vector<uint32_t> seen{offset};
  for (uint32_t i = 0; i < imageIndex; ++i) {
    offset = directory_.NextOffset();
    if (offset == 0 || seen.size() >= kMaxDirectories ||
        std::find(seen.begin(), seen.end(), offset) != seen.end())
      return false;
    seen.push_back(offset);
    directory_.Read(stream, base, offset, big);
  }
  const TTIFFDirectory& d = directory_;

  p.Width = d.GetValue(kTagWidth, 0);
  p.Height = d.GetValue(kTagHeight, 0);
  if (p.Width == 0 || p.Height == 0) return false;
  p.RowsPerStrip = d.GetValueList(stream, kTagRowsPerStrip, 1);
  if (p.RowsPerStrip.empty() || p.RowsPerStrip[0] == 0xFFFFFFFF || p.RowsPerStrip[0] == 0)
    p.RowsPerStrip = {p.Height};

  const uint32_t samples = d.GetValue(kTagSamplesPerPixel, 1);
  const TCardinalArray bits = d.GetValueList(stream, kTagBitsPerSample, 1);
  const uint32_t bitsPerSample = bits.empty() ? 1 : bits[0];
  if (samples == 0 || samples > 255 || bitsPerSample == 0 || bitsPerSample > 255) return false;
  p.SamplesPerPixel = static_cast<uint8_t>(samples);
  p.BitsPerSample = static_cast<uint8_t>(bitsPerSample);
  p.BitsPerPixel = static_cast<uint8_t>(samples * bitsPerSample);

  p.TileWidth = d.GetValue(kTagTileWidth, 0);
  p.TileLength = d.GetValue(kTagTileLength, 0);
  if (p.TileWidth > 0 && p.TileLength > 0) p.Options |= ioTiled;

  const uint32_t photometric = d.GetValue(kTagPhotometric, 0);
  const TCardinalArray extra = d.GetValueList(stream, kTagExtraSamples, 255);
  p.HasAlpha = !extra.empty() && std::all_of(extra.begin(), extra.end(), [](uint32_t v) { return v <= 2; });
  // The standard's default: no tag means no compression.
  p.Compression = CompressionCode(d.GetValue(kTagCompression, 1));
  p.ColorScheme = static_cast<uint8_t>(SchemeOf(photometric, samples));
  if (photometric == 0) p.Options |= ioMinIsWhite;
  if (photometric == 6) {
    p.YCbCrSubsampling = d.GetByteList(stream, kTagYCbCrSubsampling, 2);
    if (p.YCbCrSubsampling.size() < 2) p.YCbCrSubsampling = {2, 2};
    yCbCrCoefficients_ = d.GetFloatList(stream, kTagYCbCrCoefficients, 3);
    if (yCbCrCoefficients_.size() < 3) yCbCrCoefficients_ = {0.299f, 0.587f, 0.114f};
  }
  p.JPEGColorMode = 0;
  p.JPEGTablesMode = 3;
  p.PlanarConfig = d.GetValue(kTagPlanarConfig, 1);
  p.XResolution = d.GetFloatValue(stream, kTagXResolution, 0);
  p.YResolution = d.GetFloatValue(stream, kTagYResolution, 0);
  if (d.GetValue(kTagResolutionUnit, 2) == 3) {
    p.XResolution *= 2.54f;
    p.YResolution *= 2.54f;
  }
  p.Predictor = d.GetValue(kTagPredictor, 0);
  if (d.GetValue(kTagFillOrder, 1) == 2) p.Options |= ioReversedBits;
  return true;
}

void TTIFFGraphic::ConfigureColors(TStream& stream, TRowShape& shape) {
  const TImageProperties& p = ImageProperties;
  TColorManager& cm = ColorManager();
  using namespace ConversionOption;
  const bool big = p.Options & ioBigEndian;
  cm.SourceOptions = big ? SwapBytes16 : 0;
  cm.TargetOptions = 0;
  const bool planar = p.PlanarConfig == 2 && p.SamplesPerPixel > 1;
  // Samples of one pixel in a row of one strip.
  const uint32_t rowSamples = planar ? 1 : p.SamplesPerPixel;
  const uint8_t bits = p.BitsPerSample;
  const bool wholeBytes = bits == 8 || bits == 16;
  auto source = static_cast<ColorScheme>(p.ColorScheme);

  // Indices no bitmap holds (3, 5 to 7 or more than 8 bits), and grey or
  // indices below 8 bits with extra samples, become colours here.
  const bool oddIndices = source == ColorScheme::PaletteIndex && bits != 1 && bits != 2 && bits != 4 && bits != 8;
  if (bits <= 16 && (oddIndices || (Indexed(source) && !wholeBytes && rowSamples > 1))) {
    shape.lookup = std::make_unique<TSampleLookup>(bits, rowSamples, big);
    if (source == ColorScheme::PaletteIndex)
      shape.lookup->SetColorMap(directory_.GetValueList(stream, kTagColorMap, kMaxColorMapValues));
    else
      shape.lookup->SetGrayRamp(p.Options & ioMinIsWhite);
    cm.SetSourceBitsPerSample(8);
    cm.SetTargetBitsPerSample(8);
    cm.SetSourceColorScheme(ColorScheme::Bgr);
    cm.SetTargetColorScheme(ColorScheme::Bgr);
    cm.SetSourceSamplesPerPixel(3);
    cm.SetTargetSamplesPerPixel(3);
    return;
  }

  // The JPEG codec hands three components over as blue, green, red; one or
  // four as stored.
  if (p.Compression == ctJPEG && !planar && p.SamplesPerPixel == 3) source = ColorScheme::Bgr;
  ColorScheme target = source;
  // The samples the colour manager reads of a pixel; extra samples after
  // them are stepped over. Grey or indices with an extra sample (alpha) read
  // two and skip the second; separate planes simply leave extra planes out.
  uint32_t reads = rowSamples;
  switch (source) {
    case ColorScheme::PaletteIndex: case ColorScheme::Gray:
      reads = 1;
      if (wholeBytes && rowSamples > 1) {
        source = ColorScheme::GrayAlpha;
        reads = 2;
      }
      break;
    case ColorScheme::Rgb: case ColorScheme::Bgr: case ColorScheme::Lab: case ColorScheme::YCbCr: reads = 3; break;
    case ColorScheme::Rgba: case ColorScheme::Cmyk: reads = 4; break;
    default: break;
  }
  if (wholeBytes && rowSamples > reads) {
    shape.keep = reads;
    shape.bytesPerSample = bits / 8;
  }
  shape.inPlace = !planar && bits == 8 && rowSamples == reads &&
                  (source == ColorScheme::Rgb || source == ColorScheme::Rgba);
  switch (target) {
    case ColorScheme::Rgb: case ColorScheme::Cmyk: case ColorScheme::Lab: case ColorScheme::YCbCr:
    case ColorScheme::Bgr:
      target = ColorScheme::Bgr;
      break;
    case ColorScheme::Rgba: target = ColorScheme::Bgra; break;
    default: break;
  }
  uint8_t targetBits = bits == 16 ? 8 : bits;
  // Indices and grey levels go into the bitmap's own depths: 2 and 3 bits
  // become 4-bit pixels, 5 to 7 bits 8-bit ones.
  if (Indexed(source) && bits < 8) targetBits = bits == 1 ? 1 : bits <= 4 ? 4 : 8;
  cm.SetSourceBitsPerSample(bits);
  cm.SetTargetBitsPerSample(targetBits);
  cm.SetSourceColorScheme(source);
  cm.SetTargetColorScheme(target);
  cm.SetSourceSamplesPerPixel(static_cast<uint8_t>(std::min<uint32_t>(planar ? p.SamplesPerPixel : reads, 4)));
  cm.SetTargetSamplesPerPixel(target == ColorScheme::Bgra ? 4 : Indexed(target) ? 1 : 3);
  if (source == ColorScheme::Lab) cm.SourceOptions |= LightnessScaled;
  if (source == ColorScheme::YCbCr) {
    const TByteArray& sub = p.YCbCrSubsampling;
    cm.SetYCbCrParameters(yCbCrCoefficients_, sub[0], sub[1]);
  }
}

void TTIFFGraphic::ReadPalette(TStream& stream) {
  TColorManager& cm = ColorManager();
  if (cm.TargetColorScheme() == ColorScheme::Gray) {
    SetPalette(cm.CreateGrayscalePalette((ImageProperties.Options & ioMinIsWhite) != 0));
    return;
  }
  if (cm.TargetColorScheme() != ColorScheme::PaletteIndex) return;
  const TCardinalArray map = directory_.GetValueList(stream, kTagColorMap, kMaxColorMapValues);
  const size_t perPlane = map.size() / 3;
  if (perPlane == 0) return;
  // Three planes of 16-bit values in the file's byte order, which the colour
  // manager reads as it reads the pixels.
  const size_t entries = std::min<size_t>(perPlane, 256);
  const bool big = ImageProperties.Options & ioBigEndian;
  std::vector<uint8_t> planes[3];
  for (int k = 0; k < 3; ++k)
    for (size_t i = 0; i < entries; ++i) {
      const auto v = static_cast<uint16_t>(map[k * perPlane + i]);
      planes[k].push_back(static_cast<uint8_t>(big ? v >> 8 : v));
      planes[k].push_back(static_cast<uint8_t>(big ? v : v >> 8));
    }
  SetPalette(cm.CreateColorPalette({planes[0], planes[1], planes[2]}, 6,
                                   static_cast<uint32_t>(entries), false));
}

std::unique_ptr<TDecoder> TTIFFGraphic::MakeDecoder(TStream& stream) {
  TImageProperties& p = ImageProperties;
  const uint32_t group3 = directory_.GetValue(kTagGroup3Options, 0);
  const bool swapBits = p.Options & ioReversedBits;
  switch (p.Compression) {
    case ctNone: return nullptr;
    case ctFaxRLE: return std::make_unique<TCCITTMHDecoder>(group3, swapBits, false, p.Width);
    case ctFaxRLEW: return std::make_unique<TCCITTMHDecoder>(group3, swapBits, true, p.Width);
    case ctFax3:
      // Two-dimensional coding and uncompressed mode have no decoder here.
      if (group3 & 3) Unsupported(kCompressionScheme);
      return std::make_unique<TCCITTFax3Decoder>(group3, swapBits, false, p.Width);
    case ctLZW: return std::make_unique<TTIFFLZWDecoder>();
    case ctJPEG:
      p.JPEGTables = directory_.GetByteList(stream, kTagJPEGTables, std::numeric_limits<uint32_t>::max());
      return std::make_unique<TTIFFJPEGDecoder>(&p);
    case ctLZ77: return std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH, true);
    case ctPackedBits: return std::make_unique<TPackbitsRLEDecoder>();
    case ctThunderscan:
      // The codec's rows are of 4-bit pixels: rows of fewer bits would each
      // take more than a row of the picture, without bound.
      if (p.BitsPerPixel < 4) Invalid();
      return std::make_unique<TThunderDecoder>(p.Width);
    default: Unsupported(kCompressionScheme);
  }
}

void TTIFFGraphic::LoadFromStream(TStream& stream) {
  auto scope = BeginLoad(stream);
  if (!ReadImageProperties(stream, 0)) Invalid();
  TImageProperties& p = ImageProperties;
  if (p.Options & ioTiled) Unsupported(kTiledImages);
  // Only the JPEG decoder brings chroma back to one sample a pixel; other
  // strips would hand the converter blocks it reads as pixels, giving a
  // picture of wrong colours and shapes.
  if (p.ColorScheme == static_cast<uint8_t>(ColorScheme::YCbCr) && p.Compression != ctJPEG &&
      (p.YCbCrSubsampling[0] != 1 || p.YCbCrSubsampling[1] != 1))
    Unsupported(kSubsampledYCbCr);
  if (p.Width > static_cast<uint32_t>(std::numeric_limits<int>::max()) ||
      p.Height > static_cast<uint32_t>(std::numeric_limits<int>::max()))
    Invalid();
  const int width = static_cast<int>(p.Width), height = static_cast<int>(p.Height);

  ProgressRect = Rect(0, 0, width, 1);
  ProgressStarting(kPreparing);
  struct EndProgress {
    TTIFFGraphic& graphic;
    ~EndProgress() {
      try {
        graphic.ProgressEnding();
      } catch (...) {
      }
    }
  } endProgress{*this};

  TRowShape shape;
  ConfigureColors(stream, shape);
  const TPixelFormat format = ColorManager().GetTargetPixelFormat(1);
  if (format == pfCustom) Invalid();
  TStripLayout layout;
  const uint32_t samples = p.SamplesPerPixel;
  layout.planes = p.PlanarConfig == 2 && samples > 1 ? samples : 1;
  // Separate planes are decoded side by side, each with a codec of its own.
  TStripReaders readers(std::min<uint32_t>(layout.planes, 4));
  for (TStripReader& reader : readers) reader.decoder = MakeDecoder(stream);

  layout.rowBytes = ImageRowBytes(p.Width, uint64_t{p.BitsPerSample} * (layout.planes > 1 ? 1 : samples));
  const uint64_t imageBytes = ImageBytes(layout.rowBytes * layout.planes, p.Height);
  p.BytesPerLine = static_cast<uint32_t>(layout.rowBytes);
  layout.rowsPerStrip = p.RowsPerStrip[0];
  layout.stripsPerPlane = (p.Height - 1) / layout.rowsPerStrip + 1;
  const uint64_t data = MeasureStrips(stream, layout);
  const TCodecBounds bounds = BoundsOf(p.Compression);
  if (imageBytes > data * bounds.expansion + kExpansionSlack) Invalid();
  if (bounds.largePicturesNeedData && TooThinForItsSize(data, imageBytes)) Invalid();

  SetPixelFormat(format);
  SetSize(width, height);
  ReadPalette(stream);

  for (TStripReader& reader : readers)
    if (reader.decoder) reader.decoder->DecodeInit();
  ProgressEnding();
  ProgressStarting(kTransfering);
  p.CurrentRow = 0;
  p.StripCount = static_cast<uint32_t>(layout.offsets.size());
  LoadStrips(stream, layout, readers, shape);
}

uint64_t TTIFFGraphic::MeasureStrips(TStream& stream, TStripLayout& layout) {
  const TImageProperties& p = ImageProperties;
  // At most one strip per row and plane: a longer list is damaged.
  const uint32_t maxStrips = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{p.Height} * layout.planes, UINT32_MAX));
  layout.offsets = directory_.GetValueList(stream, kTagStripOffsets, maxStrips);
  const TCardinalArray counts = directory_.GetValueList(stream, kTagStripByteCounts, maxStrips);
  TCardinalArray starts = layout.offsets;
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());

  const bool packed = p.Compression != ctNone;
  const uint64_t packing = BoundsOf(p.Compression).packing;
  const int64_t end = stream.Size();
  uint64_t total = 0;
  layout.extents.assign(layout.offsets.size(), 0);
  const size_t used = std::min<size_t>(layout.offsets.size(), uint64_t{layout.planes} * layout.stripsPerPlane);
  for (size_t i = 0; i < used; ++i) {
    const uint32_t offset = layout.offsets[i];
    const int64_t at = BasePosition() + offset;
    // A strip in the header holds nothing (writers mark empty strips so).
    if (offset < 8 || at >= end) continue;
    const uint64_t band = i % layout.stripsPerPlane;
    const uint64_t rows = std::min<uint64_t>(layout.rowsPerStrip, p.Height - band * layout.rowsPerStrip);
    const uint64_t expected = rows * layout.rowBytes;
    // A strip never reaches into the next one, nor past what its codec
    // could ever store its rows in; a missing or zero byte count means "as
    // far as that". Strips without a codec are read whole, as they must be.
    uint64_t extent = static_cast<uint64_t>(end - at);
    if (packed) {
      if (i < counts.size() && counts[i] > 0) extent = std::min<uint64_t>(extent, counts[i]);
      extent = std::min(extent, expected * packing + kPackingSlack);
      const auto next = std::upper_bound(starts.begin(), starts.end(), offset);
      if (next != starts.end()) extent = std::min<uint64_t>(extent, *next - offset);
    } else {
      extent = std::min(extent, expected);
    }
    layout.extents[i] = extent;
    total += extent;
  }
  const auto available = static_cast<uint64_t>(std::max<int64_t>(end - BasePosition(), 0));
  if (total > kMaxRereads * available + kExpansionSlack) Invalid();
  // Strips that share their bytes describe no more than the file holds.
  return std::min(total, available);
}

void TTIFFGraphic::LoadStrips(TStream& stream, const TStripLayout& layout, TStripReaders& readers, TRowShape& shape) {
  TImageProperties& p = ImageProperties;
  const uint32_t samples = p.SamplesPerPixel;
  const bool predictor = p.Compression != ctNone && p.Predictor == 2;
  const bool big = p.Options & ioBigEndian;
  if (shape.keep > 0) shape.scratch.resize(size_t{p.Width} * shape.keep * shape.bytesPerSample);
  const uint32_t pieceRows = static_cast<uint32_t>(
      std::clamp<uint64_t>(kPieceBytes / layout.rowBytes, 1, layout.rowsPerStrip));
  const bool direct = p.Compression == ctNone && shape.inPlace && !(p.Options & ioReversedBits);
  for (TStripReader& reader : readers)
    if (!direct) reader.rows.resize(static_cast<size_t>(pieceRows * layout.rowBytes));
  const uint32_t planes = static_cast<uint32_t>(readers.size());
  for (uint32_t band = 0; band < layout.stripsPerPlane && p.CurrentRow < p.Height; ++band) {
    const uint32_t rows = std::min(layout.rowsPerStrip, p.Height - p.CurrentRow);
    if (direct) {
      LoadRowsInPlace(stream, layout, band, rows);
      continue;
    }
    for (uint32_t plane = 0; plane < planes; ++plane) {
      p.CurrentStrip = plane * layout.stripsPerPlane + band;
      BeginStrip(stream, layout, p.CurrentStrip, readers[plane]);
    }
    for (uint32_t done = 0; done < rows;) {
      const uint32_t piece = std::min(pieceRows, rows - done);
      for (TStripReader& reader : readers) ReadPiece(stream, reader, piece * layout.rowBytes);
      for (uint32_t r = 0; r < piece; ++r) {
        TRowBytes source[4];
        for (uint32_t plane = 0; plane < planes; ++plane) {
          uint8_t* row = readers[plane].rows.data() + r * layout.rowBytes;
          if (predictor)
            UndoHorizontalPredictor(row, layout.rowBytes, p.Width, layout.planes > 1 ? 1 : samples,
                                    p.BitsPerSample, big);
          source[plane] = TRowBytes(row, layout.rowBytes);
        }
        const std::span<uint8_t> target = ScanLineBytes(static_cast<int>(p.CurrentRow));
        if (shape.lookup) {
          shape.lookup->Row(source[0].data(), target.data(), p.Width);
        } else {
          if (shape.keep > 0) {
            KeepLeadingSamples(source[0].data(), shape.scratch.data(), p.Width, samples, shape.keep,
                               shape.bytesPerSample);
            source[0] = TRowBytes(shape.scratch);
          }
          ColorManager().ConvertRow(std::span<const TRowBytes>(source, planes), target, p.Width, 0xFF);
        }
        ++p.CurrentRow;
        ProgressRow(p.CurrentRow, p.Height);
      }
      done += piece;
    }
  }
}

void TTIFFGraphic::LoadRowsInPlace(TStream& stream, const TStripLayout& layout, uint32_t Strip, uint32_t Rows) {
  TImageProperties& p = ImageProperties;
  p.CurrentStrip = Strip;
  uint64_t left = Strip < layout.extents.size() ? layout.extents[Strip] : 0;
  if (left > 0) stream.SetPosition(BasePosition() + layout.offsets[Strip]);
  const size_t rowBytes = static_cast<size_t>(layout.rowBytes);
  for (uint32_t r = 0; r < Rows; ++r) {
    const std::span<uint8_t> target = ScanLineBytes(static_cast<int>(p.CurrentRow));
    // A strip cut short by the end of the file keeps zeros for what is missing.
    const size_t take = static_cast<size_t>(std::min<uint64_t>(rowBytes, left));
    ReadExact(stream, target.data(), take);
    std::fill(target.begin() + static_cast<ptrdiff_t>(take), target.begin() + static_cast<ptrdiff_t>(rowBytes), 0);
    left -= take;
    ColorManager().ConvertRow(TRowBytes(target.data(), rowBytes), target, p.Width, 0xFF);
    ++p.CurrentRow;
    ProgressRow(p.CurrentRow, p.Height);
  }
}

TTIFFGraphic::TStripReader::~TStripReader() {
  if (!decoder) return;
  try {
    decoder->DecodeEnd();
  } catch (...) {
  }
}

void TTIFFGraphic::BeginStrip(TStream& stream, const TStripLayout& layout, uint32_t Index, TStripReader& reader) {
  const uint64_t extent = Index < layout.extents.size() ? layout.extents[Index] : 0;
  reader.left = extent;
  if (extent == 0) return;
  reader.at = BasePosition() + layout.offsets[Index];
  if (!reader.decoder) return;
  stream.SetPosition(reader.at);
  reader.packed.resize(static_cast<size_t>(extent));
  ReadExact(stream, reader.packed.data(), extent);
  if (ReversedStripBits()) ReverseBitOrder(reader.packed.data(), reader.packed.size());
  reader.decoder->DecodeBegin(reader.packed.data(), static_cast<int64_t>(extent));
}

void TTIFFGraphic::ReadPiece(TStream& stream, TStripReader& reader, uint64_t Bytes) {
  uint8_t* const out = reader.rows.data();
  uint64_t got = 0;
  if (reader.left > 0 && reader.decoder) {
    got = reader.decoder->DecodeNext(out, static_cast<int64_t>(Bytes));
  } else if (reader.left > 0) {
    got = std::min(Bytes, reader.left);
    stream.SetPosition(reader.at);
    ReadExact(stream, out, got);
    if (ReversedStripBits()) ReverseBitOrder(out, got);
    reader.at += static_cast<int64_t>(got);
    reader.left -= got;
  }
  // Rows the data falls short of stay zero.
  std::fill(out + got, out + Bytes, 0);
}

bool TTIFFGraphic::ReversedStripBits() const {
  // Bits stored least significant first: the fax codecs read them so
  // themselves, JPEG data is never written so, every other strip is turned
  // round before it is used.
  const uint8_t compression = ImageProperties.Compression;
  return (ImageProperties.Options & ioReversedBits) && compression != ctFaxRLE && compression != ctFaxRLEW &&
         compression != ctFax3 && compression != ctJPEG;
}

TGraphicClass TEPSGraphic::StaticClass() {
  return GraphicClassOf<TEPSGraphic, TTIFFGraphic>("TEPSGraphic");
}

namespace {

constexpr uint8_t kEPSMagic[4] = {0xC5, 0xD0, 0xD3, 0xC6};
constexpr int kEPSHeaderSize = 30;

}  // namespace

bool TEPSGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition restore(stream);
  const int64_t left = BytesLeft(stream);
  if (left <= kEPSHeaderSize) return false;
  uint8_t h[kEPSHeaderSize];
  ReadExact(stream, h, kEPSHeaderSize);
  if (!std::equal(kEPSMagic, kEPSMagic + 4, h)) return false;
  const uint32_t offset = ReadLe32(h, 20), length = ReadLe32(h, 24);
  return offset >= kEPSHeaderSize && offset < left && length > 0;
}

void TEPSGraphic::LoadFromStream(TStream& stream) {
  const int64_t start = stream.Position();
  uint8_t h[kEPSHeaderSize];
  if (BytesLeft(stream) < kEPSHeaderSize) ImagingErrorFmt(kInvalidImage, {kFormatEPS});
  ReadExact(stream, h, kEPSHeaderSize);
  if (!std::equal(kEPSMagic, kEPSMagic + 4, h)) ImagingErrorFmt(kInvalidImage, {kFormatEPS});
  const uint32_t offset = ReadLe32(h, 20);
  if (offset < kEPSHeaderSize || start + offset >= stream.Size()) ImagingErrorFmt(kInvalidImage, {kFormatEPS});
  stream.SetPosition(start + offset);
  TTIFFGraphic::LoadFromStream(stream);
}

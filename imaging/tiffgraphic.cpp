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
#include "imaging/predictor.h"
#include "imaging/readerhelpers.h"
#include "imaging/rledecoders.h"
#include "imaging/thunderdecoder.h"

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
// The most any codec here makes of one byte (a run of blank rows); a picture
// larger than its data times this is a damaged header, refused before its
// bitmap is made.
constexpr uint64_t kMaxExpansion = 4096;
constexpr uint64_t kExpansionSlack = 1024 * 1024;
constexpr uint32_t kMaxColorMapValues = 3 * 65536;

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
  TCardinalArray byteCounts;
  uint32_t planes = 1;         // strips of separate planes, or one of interleaved samples
  uint64_t rowBytes = 0;       // of one decoded row of one strip
  uint32_t stripsPerPlane = 0;
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

void TTIFFGraphic::ConfigureColors() {
  const TImageProperties& p = ImageProperties;
  TColorManager& cm = ColorManager();
  using namespace ConversionOption;
  cm.SourceOptions = (p.Options & ioBigEndian) ? SwapBytes16 : 0;
  cm.TargetOptions = 0;
  const bool planar = p.PlanarConfig == 2 && p.SamplesPerPixel > 1;
  auto source = static_cast<ColorScheme>(p.ColorScheme);
  // The JPEG codec hands three components over as blue, green, red; one or
  // four as stored.
  if (p.Compression == ctJPEG && !planar && p.SamplesPerPixel == 3) source = ColorScheme::Bgr;
  ColorScheme target = source;
  // Grey or indices with an extra sample (alpha): the extra sample is
  // stepped over; separate planes simply leave the alpha plane out.
  if (Indexed(source) && p.SamplesPerPixel == 2 && !planar) source = ColorScheme::GrayAlpha;
  switch (target) {
    case ColorScheme::Rgb: case ColorScheme::Cmyk: case ColorScheme::Lab: case ColorScheme::YCbCr:
    case ColorScheme::Bgr:
      target = ColorScheme::Bgr;
      break;
    case ColorScheme::Rgba: target = ColorScheme::Bgra; break;
    default: break;
  }
  const uint8_t bits = p.BitsPerSample;
  uint8_t targetBits = bits == 16 ? 8 : bits;
  // Indices and grey levels go into the bitmap's own depths: 2 and 3 bits
  // become 4-bit pixels, 5 to 7 bits 8-bit ones.
  if (Indexed(source) && bits < 8) targetBits = bits == 1 ? 1 : bits <= 4 ? 4 : 8;
  cm.SetSourceBitsPerSample(bits);
  cm.SetTargetBitsPerSample(targetBits);
  cm.SetSourceColorScheme(source);
  cm.SetTargetColorScheme(target);
  const uint8_t samples = std::min<uint8_t>(p.SamplesPerPixel, 4);
  cm.SetSourceSamplesPerPixel(samples);
  cm.SetTargetSamplesPerPixel(source == ColorScheme::Cmyk ? 3 : Indexed(source) ? 1 : samples);
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
    case ctThunderscan: return std::make_unique<TThunderDecoder>(p.Width);
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

  ConfigureColors();
  const TPixelFormat format = ColorManager().GetTargetPixelFormat(1);
  if (format == pfCustom) Invalid();
  std::unique_ptr<TDecoder> decoder = MakeDecoder(stream);

  TStripLayout layout;
  const uint32_t samples = p.SamplesPerPixel;
  layout.planes = p.PlanarConfig == 2 && samples > 1 ? samples : 1;
  layout.rowBytes = ImageRowBytes(p.Width, uint64_t{p.BitsPerSample} * (layout.planes > 1 ? 1 : samples));
  const uint64_t imageBytes = ImageBytes(layout.rowBytes * layout.planes, p.Height);
  p.BytesPerLine = static_cast<uint32_t>(layout.rowBytes);
  // At most one strip per row and plane: a longer list is damaged.
  const uint32_t maxStrips = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{p.Height} * layout.planes, UINT32_MAX));
  layout.offsets = directory_.GetValueList(stream, kTagStripOffsets, maxStrips);
  layout.byteCounts = directory_.GetValueList(stream, kTagStripByteCounts, maxStrips);
  const uint32_t rowsPerStrip = p.RowsPerStrip[0];
  layout.stripsPerPlane = (p.Height - 1) / rowsPerStrip + 1;

  // What the strips can hold, as the file really has it.
  const int64_t size = stream.Size();
  uint64_t data = 0;
  for (size_t i = 0; i < layout.offsets.size(); ++i) {
    const int64_t at = BasePosition() + layout.offsets[i];
    if (at >= size) continue;
    const uint64_t there = static_cast<uint64_t>(size - at);
    data += i < layout.byteCounts.size() ? std::min<uint64_t>(layout.byteCounts[i], there) : there;
  }
  if (imageBytes > data * kMaxExpansion + kExpansionSlack) Invalid();

  SetPixelFormat(format);
  SetSize(width, height);
  ReadPalette(stream);

  struct EndDecoder {
    TDecoder* decoder;
    ~EndDecoder() {
      if (decoder == nullptr) return;
      try {
        decoder->DecodeEnd();
      } catch (...) {
      }
    }
  } endDecoder{decoder.get()};
  if (decoder) decoder->DecodeInit();
  ProgressEnding();
  ProgressStarting(kTransfering);
  p.CurrentRow = 0;
  p.StripCount = static_cast<uint32_t>(layout.offsets.size());

  const bool predictor = p.Compression != ctNone && p.Predictor == 2;
  const bool big = p.Options & ioBigEndian;
  std::vector<std::vector<uint8_t>> buffers(layout.planes);
  for (uint32_t band = 0; band < layout.stripsPerPlane && p.CurrentRow < p.Height; ++band) {
    const uint32_t rows = std::min(rowsPerStrip, p.Height - p.CurrentRow);
    for (uint32_t plane = 0; plane < layout.planes; ++plane) {
      p.CurrentStrip = plane * layout.stripsPerPlane + band;
      ReadStrip(stream, decoder.get(), layout, p.CurrentStrip, rows, buffers[plane]);
    }
    for (uint32_t r = 0; r < rows; ++r) {
      TRowBytes source[4];
      const uint32_t used = std::min<uint32_t>(layout.planes, 4);
      for (uint32_t plane = 0; plane < used; ++plane) {
        uint8_t* row = buffers[plane].data() + r * layout.rowBytes;
        if (predictor)
          UndoHorizontalPredictor(row, layout.rowBytes, p.Width, layout.planes > 1 ? 1 : samples,
                                  p.BitsPerSample, big);
        source[plane] = TRowBytes(row, layout.rowBytes);
      }
      const int y = static_cast<int>(p.CurrentRow);
      ColorManager().ConvertRow(std::span<const TRowBytes>(source, used), ScanLineBytes(y), p.Width, 0xFF);
      ++p.CurrentRow;
      ProgressRow(p.CurrentRow, p.Height);
    }
  }
}

void TTIFFGraphic::ReadStrip(TStream& stream, TDecoder* decoder, const TStripLayout& layout,
                             uint32_t Index, uint32_t Rows, std::vector<uint8_t>& Buffer) {
  Buffer.resize(static_cast<size_t>(uint64_t{Rows} * layout.rowBytes));
  const int64_t at = Index < layout.offsets.size() ? BasePosition() + layout.offsets[Index] : 0;
  if (Index >= layout.offsets.size() || at >= stream.Size()) {
    std::fill(Buffer.begin(), Buffer.end(), 0);
    return;
  }
  stream.SetPosition(at);
  const uint64_t left = static_cast<uint64_t>(BytesLeft(stream));
  if (decoder == nullptr) {
    // A strip cut short by the end of the file keeps zeros for what is missing.
    const size_t read = static_cast<size_t>(std::min<uint64_t>(Buffer.size(), left));
    ReadExact(stream, Buffer.data(), read);
    std::fill(Buffer.begin() + static_cast<ptrdiff_t>(read), Buffer.end(), 0);
    return;
  }
  // What a codec leaves unwritten stays zero.
  std::fill(Buffer.begin(), Buffer.end(), 0);
  const uint64_t count =
      std::min<uint64_t>(Index < layout.byteCounts.size() ? layout.byteCounts[Index] : left, left);
  std::vector<uint8_t>& packed = packed_;
  packed.resize(static_cast<size_t>(count));
  ReadExact(stream, packed.data(), count);
  const uint8_t* source = packed.data();
  uint8_t* dest = Buffer.data();
  decoder->Decode(source, dest, static_cast<int64_t>(packed.size()), static_cast<int64_t>(Buffer.size()));
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

#include "imaging/pnggraphic.h"

#include <zlib.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "classlib/bytereader.h"
#include "imaging/bitmapcolors.h"
#include "imaging/colormanager.h"
#include "imaging/imagingerror.h"
#include "imaging/imagingtexts.h"
#include "imaging/lz77decoder.h"
#include "imaging/packedlimits.h"
#include "imaging/readerhelpers.h"

namespace {

constexpr uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kHeaderBytes = 13;
// Chunk types compare with bit 5 of every letter masked off.
constexpr uint32_t kCaseMask = 0xDFDFDFDF;
constexpr uint8_t kCriticalBit = 0x20;
// A gAMA outside this range is damage: applied, it would turn the picture
// black or white. Real files hold values from about 0.3 to 1.0.
constexpr double kLeastFileGamma = 0.1, kMostFileGamma = 10.0;

struct Pass {
  uint32_t rowStart, columnStart, rowStep, columnStep;
  uint8_t mask;
};
constexpr Pass kPasses[7] = {
    {0, 0, 8, 8, 0x80}, {0, 4, 8, 8, 0x08}, {4, 0, 8, 4, 0x88}, {0, 2, 4, 4, 0x22},
    {2, 0, 4, 2, 0xAA}, {0, 1, 2, 2, 0x55}, {1, 0, 2, 1, 0xFF},
};

// The 13 header bytes, width and height in host order.
struct PngHeader {
  uint32_t width, height;
  uint8_t bitDepth, colorType, compression, filter, interlace;
};

PngHeader ParseHeader(const uint8_t* b) {
  return {ReadBe32(b, 0), ReadBe32(b, 4), b[8], b[9], b[10], b[11], b[12]};
}

uint32_t TypeValue(const uint8_t* type) { return ReadBe32(type, 0) & kCaseMask; }

// The gamma of a gAMA chunk's data, or 0 when it is no gamma to apply.
double FileGammaOf(const uint8_t* data) {
  const double gamma = ReadBe32(data) / 100000.0;
  return gamma >= kLeastFileGamma && gamma <= kMostFileGamma ? gamma : 0;
}

#if defined(__SSE2__)
// The Paeth filter for 3- and 4-byte pixels, one pixel per step with its
// channels side by side in 16-bit lanes (each pixel needs the one before
// it, so pixels cannot go side by side). Returns the bytes done: every
// whole pixel.
uint32_t PaethPixels(uint8_t* row, uint32_t count, uint32_t bpp, const uint8_t* prior) {
  const __m128i zero = _mm_setzero_si128(), low = _mm_set1_epi16(0xFF);
  auto load = [&](const uint8_t* p) {
    uint32_t v = 0;
    std::memcpy(&v, p, bpp);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(v)), zero);
  };
  auto abs16 = [&](__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(zero, v)); };
  auto pick = [](__m128i when, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(when, yes), _mm_andnot_si128(when, no));
  };
  __m128i a = zero, c = zero;  // the pixel to the left, in this row and the prior one
  uint32_t x = 0;
  for (; x + bpp <= count; x += bpp) {
    const __m128i b = load(prior + x);
    // p = a + b - c, so |p - a| = |b - c|, |p - b| = |a - c|, |p - c| = |a + b - 2c|.
    const __m128i bc = _mm_sub_epi16(b, c), ac = _mm_sub_epi16(a, c);
    const __m128i pa = abs16(bc), pb = abs16(ac), pc = abs16(_mm_add_epi16(bc, ac));
    const __m128i least = _mm_min_epi16(_mm_min_epi16(pa, pb), pc);
    __m128i predictor = pick(_mm_cmpeq_epi16(least, pb), b, c);
    predictor = pick(_mm_cmpeq_epi16(least, pa), a, predictor);
    a = _mm_and_si128(_mm_add_epi16(load(row + x), predictor), low);
    const uint32_t out = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(a, a)));
    std::memcpy(row + x, &out, bpp);
    c = b;
  }
  return x;
}
#endif

}  // namespace

TPNGGraphic::TPNGGraphic() = default;
TPNGGraphic::~TPNGGraphic() = default;

TGraphicClass TPNGGraphic::StaticClass() {
  return GraphicClassOf<TPNGGraphic, TImagingGraphic>("TPNGGraphic");
}

bool TPNGGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition keep(stream);
  if (BytesLeft(stream) <= 8) return false;
  uint8_t b[8];
  ReadExact(stream, b, sizeof b);
  return std::memcmp(b, kSignature, sizeof b) == 0;
}

bool TPNGGraphic::IsChunk(const char* name) const {
  return TypeValue(chunkType_) == (TypeValue(reinterpret_cast<const uint8_t*>(name)));
}

void TPNGGraphic::ReadChunkHeader(TStream& stream) {
  uint8_t b[8];
  if (BytesLeft(stream) < static_cast<int64_t>(sizeof b)) {
    chunkLength_ = 0;
    std::memcpy(chunkType_, "IEND", 4);
  } else {
    ReadExact(stream, b, sizeof b);
    chunkLength_ = ReadBe32(b, 0);
    std::memcpy(chunkType_, b + 4, 4);
  }
  crc_ = crc32(0, chunkType_, 4);
}

void TPNGGraphic::ReadDataAndCheckCRC(TStream& stream) {
  // The length is checked against the file before anything is made for it.
  NeedBytes(stream, uint64_t{chunkLength_} + 4);
  chunkData_.resize(chunkLength_);
  ReadExact(stream, chunkData_.data(), chunkLength_);
  uint8_t stored[4];
  ReadExact(stream, stored, sizeof stored);
  uLong crc = crc_;
  // zlib counts in uInt; a chunk longer than that is taken in pieces.
  for (uint64_t done = 0; done < chunkLength_;) {
    const auto n = static_cast<uInt>(std::min<uint64_t>(chunkLength_ - done, 0x40000000));
    crc = crc32(crc, chunkData_.data() + done, n);
    done += n;
  }
  if (static_cast<uint32_t>(crc) != ReadBe32(stored)) ImagingErrorFmt(kCRCError, {kFormatPNG});
}

void TPNGGraphic::SkipChunk(TStream& stream) {
  stream.Seek(int64_t{chunkLength_} + 4, soCurrent);
}

bool TPNGGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  uint8_t b[8];
  ReadExact(stream, b, sizeof b);
  if (std::memcmp(b, kSignature, sizeof b) != 0) return false;
  ReadChunkHeader(stream);
  if (!IsChunk("IHDR") || chunkLength_ != kHeaderBytes) return false;
  TImageProperties& p = ImageProperties;
  p.Options |= ioBigEndian;
  ReadDataAndCheckCRC(stream);
  const PngHeader h = ParseHeader(chunkData_.data());
  // Interlace methods other than none and Adam7 do not exist: such a file
  // is damaged.
  if (h.width == 0 || h.height == 0 || h.interlace > 1) return false;
  p.Width = h.width;
  p.Height = h.height;
  p.Compression = h.compression == 0 ? ctLZ77 : ctUnknown;
  p.BitsPerSample = h.bitDepth;
  p.SamplesPerPixel = 1;
  switch (h.colorType) {
    case 0: p.ColorScheme = static_cast<uint8_t>(ColorScheme::Gray); break;
    case 2:
      p.ColorScheme = static_cast<uint8_t>(ColorScheme::Rgb);
      p.SamplesPerPixel = 3;
      break;
    case 3: p.ColorScheme = static_cast<uint8_t>(ColorScheme::PaletteIndex); break;
    case 4: p.ColorScheme = static_cast<uint8_t>(ColorScheme::GrayAlpha); break;
    case 6:
      p.ColorScheme = static_cast<uint8_t>(ColorScheme::Rgba);
      p.SamplesPerPixel = 4;
      break;
    default: p.ColorScheme = static_cast<uint8_t>(ColorScheme::NoScheme); break;
  }
  p.BitsPerPixel = static_cast<uint8_t>(p.SamplesPerPixel * p.BitsPerSample);
  p.FilterMode = h.filter;
  p.Interlaced = h.interlace != 0;
  const auto scheme = static_cast<ColorScheme>(p.ColorScheme);
  p.HasAlpha = scheme == ColorScheme::GrayAlpha || scheme == ColorScheme::Rgba || scheme == ColorScheme::Bgra;
  // The file's gamma, if a "gAMA" chunk comes before the end; a file cut off
  // before that simply has none.
  while (BytesLeft(stream) >= 8) {
    ReadChunkHeader(stream);
    if (IsChunk("gAMA") && chunkLength_ >= 4) {
      ReadDataAndCheckCRC(stream);
      if (const double gamma = FileGammaOf(chunkData_.data()); gamma > 0) p.FileGamma = static_cast<float>(gamma);
      break;
    }
    SkipChunk(stream);
    if (IsChunk("IEND")) break;
  }
  return true;
}

void TPNGGraphic::LoadFromStream(TStream& stream) {
  auto load = BeginLoad(stream);
  // Buffers and the codec belong to one load.
  struct EndOfLoad {
    TPNGGraphic& g;
    ~EndOfLoad() {
      g.decoder_.reset();
      g.chunkData_.clear();
      g.chunkData_.shrink_to_fit();
      g.palette_.clear();
      g.idatPointer_ = nullptr;
      g.idatLeft_ = 0;
    }
  } endOfLoad{*this};
  if (!ReadImageProperties(stream, 0)) ImagingErrorFmt(kInvalidImage, {kFormatPNG});
  SeekFromBase(sizeof kSignature);
  const TImageProperties& p = ImageProperties;
  ProgressRect = Rect(0, 0, static_cast<int32_t>(std::min<uint32_t>(p.Width, INT32_MAX)), 1);
  ProgressStarting(kPreparing);

  palette_.clear();
  backgroundColor_ = clWhite;
  transparentColor_ = clNone;
  backgroundIndex_ = transparentIndex_ = -1;
  formatReady_ = imageDone_ = false;
  idatLeft_ = 0;
  TColorManager& cm = ColorManager();
  // Nothing of an earlier load may carry over: gamma tables are built for
  // 8-bit samples, which is what every table lookup of this reader uses.
  cm.TargetOptions = 0;
  cm.SetSourceBitsPerSample(8);
  cm.SetTargetBitsPerSample(8);
  cm.SetGamma(1.0f, 2.2f);

  ReadChunkHeader(stream);
  cm.SourceOptions = ConversionOption::SwapBytes16;
  ReadDataAndCheckCRC(stream);
  uint8_t header[kHeaderBytes];
  std::memcpy(header, chunkData_.data(), kHeaderBytes);
  if (p.Compression != ctLZ77) ImagingErrorFmt(kUnsupportedFeature, {kCompressionScheme, kFormatPNG});
  decoder_ = std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH, false);
  decoder_->DecodeInit();
  const PngHeader h = ParseHeader(header);

  for (;;) {
    ReadChunkHeader(stream);
    if (IsChunk("IDAT") && !imageDone_) {
      ProgressEnding();
      LoadImageData(header);
      imageDone_ = true;
    } else if (IsChunk("PLTE")) {
      if (chunkLength_ % 3 != 0) ImagingErrorFmt(kInvalidPalette, {kFormatPNG});
      ReadDataAndCheckCRC(stream);
      if (h.colorType == 3) {
        bytesPerPixel_ = SetupColorDepth(3, h.bitDepth);
        const std::vector<std::span<const uint8_t>> data{chunkData_};
        palette_ = cm.ColorPaletteEntries(data, 0, std::min<uint32_t>(chunkLength_ / 3, 256), false);
      }
      continue;
    } else if (IsChunk("gAMA") && chunkLength_ >= 4) {
      ReadDataAndCheckCRC(stream);
      if (const double gamma = FileGammaOf(chunkData_.data()); gamma > 0) {
        cm.SetGamma(static_cast<float>(gamma), 2.2f);
        cm.TargetOptions |= ConversionOption::GammaCorrect;
        ImageProperties.Options |= ioFileGamma;
      }
      continue;
    } else if (IsChunk("bKGD")) {
      ReadDataAndCheckCRC(stream);
      LoadBackgroundColor(header);
      continue;
    } else if (IsChunk("tRNS")) {
      ReadDataAndCheckCRC(stream);
      LoadTransparency(header);
      continue;
    }
    SkipChunk(stream);
    if (IsChunk("IEND")) break;
    if ((chunkType_[0] & kCriticalBit) == 0 && !IsChunk("IDAT")) ImagingError(kUnknownCriticalChunk);
  }
  decoder_->DecodeEnd();
  ProgressEnding();
}

uint32_t TPNGGraphic::SetupColorDepth(uint8_t colorType, uint8_t bitDepth) {
  TColorManager& cm = ColorManager();
  auto depthIn = [&](std::initializer_list<uint8_t> allowed) {
    if (std::find(allowed.begin(), allowed.end(), bitDepth) == allowed.end())
      ImagingErrorFmt(kInvalidColorFormat, {kFormatPNG});
  };
  uint32_t bytesPerPixel = 1;
  bool greyPalette = false;
  TPixelFormat format = pfCustom;
  switch (colorType) {
    case 0:
      depthIn({1, 2, 4, 8, 16});
      cm.SetSourceColorScheme(ColorScheme::Gray);
      cm.SetTargetColorScheme(ColorScheme::Gray);
      cm.SetSourceSamplesPerPixel(1);
      cm.SetTargetSamplesPerPixel(1);
      cm.SetSourceBitsPerSample(bitDepth);
      cm.SetTargetBitsPerSample(bitDepth == 2 ? 4 : bitDepth == 16 ? 8 : bitDepth);
      format = cm.GetTargetPixelFormat(1);
      greyPalette = true;
      bytesPerPixel = (bitDepth + 7u) / 8u;
      break;
    case 2:
      depthIn({8, 16});
      cm.SetSourceColorScheme(ColorScheme::Rgb);
      cm.SetTargetColorScheme(ColorScheme::Bgr);
      cm.SetSourceSamplesPerPixel(3);
      cm.SetTargetSamplesPerPixel(3);
      cm.SetSourceBitsPerSample(bitDepth);
      cm.SetTargetBitsPerSample(8);
      format = pf24bit;
      bytesPerPixel = bitDepth * 3u / 8u;
      break;
    case 3:
      depthIn({1, 2, 4, 8});
      cm.SetSourceColorScheme(ColorScheme::PaletteIndex);
      cm.SetTargetColorScheme(ColorScheme::PaletteIndex);
      cm.SetSourceSamplesPerPixel(1);
      cm.SetTargetSamplesPerPixel(1);
      cm.SetSourceBitsPerSample(bitDepth);
      cm.SetTargetBitsPerSample(bitDepth == 2 ? 4 : bitDepth);
      format = cm.GetTargetPixelFormat(1);
      break;
    case 4:
      depthIn({8, 16});
      cm.SetSourceColorScheme(ColorScheme::GrayAlpha);
      cm.SetTargetColorScheme(ColorScheme::PaletteIndex);
      cm.SetSourceSamplesPerPixel(1);
      cm.SetTargetSamplesPerPixel(1);
      cm.SetSourceBitsPerSample(bitDepth);
      cm.SetTargetBitsPerSample(8);
      format = pf8bit;
      greyPalette = true;
      bytesPerPixel = bitDepth * 2u / 8u;
      break;
    case 6:
      depthIn({8, 16});
      cm.SetSourceColorScheme(ColorScheme::Rgba);
      cm.SetTargetColorScheme(ColorScheme::Bgra);
      cm.SetSourceSamplesPerPixel(4);
      cm.SetTargetSamplesPerPixel(4);
      cm.SetSourceBitsPerSample(bitDepth);
      cm.SetTargetBitsPerSample(8);
      format = pf32bit;
      bytesPerPixel = bitDepth * 4u / 8u;
      break;
    default: ImagingErrorFmt(kInvalidColorFormat, {kFormatPNG});
  }
  SetPixelFormat(format);
  if (greyPalette) palette_ = cm.GrayscalePaletteEntries(false);
  formatReady_ = true;
  return bytesPerPixel;
}

uint16_t TPNGGraphic::ScaledSample(const uint8_t* header, size_t offset) const {
  const uint8_t depth = ParseHeader(header).bitDepth;
  const uint16_t value = ReadBe16(chunkData_.data(), offset);
  if (depth == 2) return MulDiv16(value, 15, 3);
  if (depth == 16) return MulDiv16(value, 255, 65535);
  return value & 0xFF;
}

void TPNGGraphic::LoadBackgroundColor(const uint8_t* header) {
  const uint8_t colorType = ParseHeader(header).colorType;
  if ((colorType == 2 || colorType == 6) && chunkLength_ >= 6) {
    backgroundColor_ = RGBColor(static_cast<uint8_t>(ScaledSample(header, 0)),
                                static_cast<uint8_t>(ScaledSample(header, 2)),
                                static_cast<uint8_t>(ScaledSample(header, 4)));
  } else if ((colorType == 0 || colorType == 4) && chunkLength_ >= 2) {
    backgroundIndex_ = ScaledSample(header, 0);
  } else if (colorType == 3 && chunkLength_ >= 1) {
    backgroundIndex_ = chunkData_[0];
  }
}

void TPNGGraphic::LoadTransparency(const uint8_t* header) {
  const uint8_t colorType = ParseHeader(header).colorType;
  if (colorType == 0 && chunkLength_ >= 2) {
    transparentIndex_ = ScaledSample(header, 0);
  } else if (colorType == 2 && chunkLength_ >= 6) {
    transparentColor_ = RGBColor(static_cast<uint8_t>(ScaledSample(header, 0)),
                                 static_cast<uint8_t>(ScaledSample(header, 2)),
                                 static_cast<uint8_t>(ScaledSample(header, 4)));
  }
}

TColor TPNGGraphic::IndexedColor(uint32_t index) const {
  const std::vector<TPaletteEntry>& colors = Colors();
  if (index >= colors.size()) return clBlack;
  return RGBColor(colors[index].peRed, colors[index].peGreen, colors[index].peBlue);
}

bool TPNGGraphic::LoadIDAT(uint8_t* buffer, uint32_t count) {
  TStream& stream = *Stream();
  uint8_t* out = buffer;
  uint32_t remaining = count;
  for (;;) {
    while (idatLeft_ == 0) {
      if (!IsChunk("IDAT")) return false;
      ReadDataAndCheckCRC(stream);
      idatPointer_ = chunkData_.data();
      idatLeft_ = chunkLength_;
      ReadChunkHeader(stream);
    }
    const uint8_t* before = idatPointer_;
    uint8_t* const outBefore = out;
    decoder_->Decode(idatPointer_, out, idatLeft_, remaining);
    idatLeft_ -= static_cast<uint32_t>(idatPointer_ - before);
    remaining -= static_cast<uint32_t>(out - outBefore);
    const int status = decoder_->Status;
    if (status == Z_STREAM_END) break;
    // Input and room were both there: a step that moves neither is damage.
    if (status != Z_OK || (idatPointer_ == before && out == outBefore))
      ImagingErrorFmt(kCompressionError, {kFormatPNG});
    if (remaining == 0) return true;
  }
  if (remaining > 0 || idatLeft_ > 0) ImagingErrorFmt(kExtraCompressedData, {kFormatPNG});
  return true;
}

void TPNGGraphic::FillRowsFrom(uint32_t first) {
  TBitmap line;
  line.SetPixelFormat(PixelFormat());
  if (!Colors().empty()) line.SetPalette(CreatePaletteFromEntries(Colors()));
  line.SetSize(Width(), 1);
  line.Fill(backgroundColor_);
  for (int y = static_cast<int>(first); y < Height(); ++y)
    std::memcpy(ScanLine(y), line.ScanLine(0), static_cast<size_t>(RowStride()));
}

uint8_t TPNGGraphic::PaethPredictor(uint8_t a, uint8_t b, uint8_t c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  if (pb <= pc) return b;
  return c;
}

void TPNGGraphic::ApplyFilter(uint8_t Filter, uint8_t* Row, uint32_t Count, uint32_t BytesPerPixel,
                              const uint8_t* Prior) {
  const uint32_t bpp = std::min(BytesPerPixel, Count);
  switch (Filter) {
    case 1:
      for (uint32_t x = bpp; x < Count; ++x) Row[x] = static_cast<uint8_t>(Row[x] + Row[x - bpp]);
      break;
    case 2:
      for (uint32_t x = 0; x < Count; ++x) Row[x] = static_cast<uint8_t>(Row[x] + Prior[x]);
      break;
    case 3:
      for (uint32_t x = 0; x < bpp; ++x) Row[x] = static_cast<uint8_t>(Row[x] + Prior[x] / 2);
      for (uint32_t x = bpp; x < Count; ++x)
        Row[x] = static_cast<uint8_t>(Row[x] + (Row[x - bpp] + Prior[x]) / 2);
      break;
    case 4: {
      uint32_t done = 0;
#if defined(__SSE2__)
      if (bpp == 3 || bpp == 4) done = PaethPixels(Row, Count, bpp, Prior);
#endif
      for (uint32_t x = done; x < bpp && x < Count; ++x) Row[x] = static_cast<uint8_t>(Row[x] + Prior[x]);
      for (uint32_t x = std::max(done, bpp); x < Count; ++x)
        Row[x] = static_cast<uint8_t>(Row[x] + PaethPredictor(Row[x - bpp], Prior[x], Prior[x - bpp]));
      break;
    }
    default: break;
  }
}

void TPNGGraphic::LoadImageData(const uint8_t* header) {
  TStream& stream = *Stream();
  const PngHeader h = ParseHeader(header);
  const uint32_t width = h.width, height = h.height;
  ProgressStarting(kTransfering);
  if (!formatReady_) bytesPerPixel_ = SetupColorDepth(h.colorType, h.bitDepth);
  const uint32_t sampleFactor = h.bitDepth == 16 ? bytesPerPixel_ / 2 : bytesPerPixel_;

  // Sizes first: the bitmap within its cap, then one row with its filter
  // byte, and whether the file holds enough deflated data for every row.
  // Rows are streamed through two row buffers, so only the bitmap is capped.
  ImageBytes(ImageRowBytes(width, static_cast<uint64_t>(PixelFormatBits(PixelFormat()))), height);
  const uint64_t rowSize = (uint64_t{width} * h.bitDepth + 7) / 8 * sampleFactor + 1;
  NeedDictionaryBytes(static_cast<uint64_t>(BytesLeft(stream)), rowSize * height, kMaxDeflateExpansion);
  if (!palette_.empty()) SetBitmapColors(*this, palette_);
  SetSize(static_cast<int>(width), static_cast<int>(height));
  if (backgroundIndex_ >= 0) backgroundColor_ = IndexedColor(static_cast<uint32_t>(backgroundIndex_));
  // Pixels the image data never reaches show the background: all of them
  // may be missed by an interlaced image cut short, only the last rows by a
  // plain one.
  if (h.interlace == 1) FillRowsFrom(0);
  if (transparentIndex_ >= 0) transparentColor_ = IndexedColor(static_cast<uint32_t>(transparentIndex_));
  if (transparentColor_ != clNone) {
    SetTransparentColor(transparentColor_);
    SetTransparent(true);
  }

  std::vector<uint8_t> current(static_cast<size_t>(rowSize)), previous(static_cast<size_t>(rowSize));
  TColorManager& cm = ColorManager();
  // When the image data ends early the rows not reached keep the background.
  bool more = true;
  auto decodeRow = [&](uint64_t size, uint32_t y, uint8_t mask) {
    more = LoadIDAT(current.data(), static_cast<uint32_t>(size));
    if (!more) return;
    ApplyFilter(current[0], current.data() + 1, static_cast<uint32_t>(size - 1), bytesPerPixel_, previous.data() + 1);
    cm.ConvertRow(TRowBytes(current.data() + 1, static_cast<size_t>(size - 1)), ScanLineBytes(static_cast<int>(y)),
                  width, mask);
    std::swap(current, previous);
  };
  if (h.interlace == 1) {
    for (int pass = 0; pass < 7 && more; ++pass) {
      const Pass& a = kPasses[pass];
      if (width <= a.columnStart) continue;
      const uint64_t columns = (uint64_t{width} + a.columnStep - 1 - a.columnStart) / a.columnStep;
      const uint64_t passRow = (columns * h.bitDepth + 7) / 8 * sampleFactor + 1;
      std::fill(previous.begin(), previous.end(), 0);
      for (uint32_t y = a.rowStart; y < height && more; y += a.rowStep) {
        decodeRow(passRow, y, a.mask);
        if (pass == 6) ProgressRow(y + a.rowStep, height);
      }
    }
  } else {
    uint32_t y = 0;
    for (; y < height && more; ++y) {
      decodeRow(rowSize, y, 0xFF);
      ProgressRow(y, height);
    }
    if (!more) FillRowsFrom(y - 1);
  }
  // Image data past the last row is passed over, never decoded.
  while (IsChunk("IDAT")) {
    ReadDataAndCheckCRC(stream);
    ReadChunkHeader(stream);
  }
}

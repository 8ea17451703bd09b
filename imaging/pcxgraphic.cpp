#include "imaging/pcxgraphic.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/bytereader.h"
#include "imaging/bitmapcolors.h"
#include "imaging/colormanager.h"
#include "imaging/imagingerror.h"
#include "imaging/imagingtexts.h"
#include "imaging/packedlimits.h"
#include "imaging/readerhelpers.h"
#include "imaging/rledecoders.h"

namespace {

constexpr int kHeaderSize = 128;
constexpr uint8_t kPaintbrush = 10;
constexpr uint8_t kScreenCapture = 0xCD;
// The 256-colour block at the end of a file: a 12, then 256 RGB triples.
constexpr int kPaletteBlockSize = 769;
constexpr uint8_t kPaletteBlockMark = 12;
constexpr uint16_t kGreyPalette = 2;
// A two-byte packet repeats a byte at most 63 times.
constexpr uint64_t kMaxRunExpansion = 32;
// Packed data is read this much at a time.
constexpr size_t kPackedBlock = 64 * 1024;

struct PcxLayout {
  uint8_t planes, bits;
};

// The layouts the reader converts; anything else is refused before a bitmap is made.
bool KnownLayout(PcxLayout l) {
  if (l.planes == 1) return l.bits == 1 || l.bits == 2 || l.bits == 4 || l.bits == 8;
  return (l.planes == 4 && l.bits == 1) || ((l.planes == 3 || l.planes == 4) && l.bits == 8);
}

int32_t Extent(const uint8_t* header, size_t minAt, size_t maxAt) {
  return int32_t{ReadLe16(header, maxAt)} - int32_t{ReadLe16(header, minAt)} + 1;
}

// The four-plane 16-colour layout: bit x of plane k becomes bit k of pixel x,
// two pixels to a target byte, the first in the high nibble.
void MergeBitPlanes(const uint8_t* line, uint32_t bytesPerLine, uint32_t width, uint8_t* target) {
  std::memset(target, 0, (size_t{width} * 4 + 7) / 8);
  for (uint32_t x = 0; x < width; ++x) {
    const uint32_t byte = x >> 3;
    const unsigned shift = 7 - (x & 7);
    unsigned value = 0;
    for (unsigned k = 0; k < 4; ++k) value |= ((line[k * bytesPerLine + byte] >> shift) & 1u) << k;
    target[x >> 1] |= static_cast<uint8_t>((x & 1) ? value : value << 4);
  }
}

}  // namespace

TGraphicClass TPCXGraphic::StaticClass() {
  return GraphicClassOf<TPCXGraphic, TImagingGraphic>("TPCXGraphic");
}

bool TPCXGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition keep(stream);
  if (BytesLeft(stream) <= kHeaderSize) return false;
  uint8_t h[kHeaderSize];
  ReadExact(stream, h, sizeof h);
  return (h[0] == kPaintbrush || h[0] == 12) && (h[1] == 0 || h[1] == 2 || h[1] == 3 || h[1] == 5) &&
         h[2] <= 1;
}

bool TPCXGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  uint8_t h[kHeaderSize];
  ReadExact(stream, h, sizeof h);
  if (h[0] != kPaintbrush && h[0] != kScreenCapture) return false;
  TImageProperties& p = ImageProperties;
  const int32_t width = Extent(h, 4, 8), height = Extent(h, 6, 10);
  // A minimum past the maximum describes no picture.
  if (width <= 0 || height <= 0) return false;
  p.Width = static_cast<uint32_t>(width);
  p.Height = static_cast<uint32_t>(height);
  p.SamplesPerPixel = h[65];
  p.BitsPerSample = h[3];
  p.BitsPerPixel = static_cast<uint8_t>(p.SamplesPerPixel * p.BitsPerSample);
  // Four byte planes are red, green, blue and alpha.
  p.ColorScheme = static_cast<uint8_t>(p.BitsPerPixel <= 8    ? ColorScheme::PaletteIndex
                                       : p.SamplesPerPixel == 4 ? ColorScheme::Rgba
                                                                : ColorScheme::Rgb);
  p.Compression = h[2] == 1 ? ctRLE : ctNone;
  p.XResolution = ReadLe16(h, 12);
  p.YResolution = ReadLe16(h, 14);
  return true;
}

void TPCXGraphic::LoadFromStream(TStream& stream) {
  auto load = BeginLoad(stream);
  if (!ReadImageProperties(stream, 0)) ImagingErrorFmt(kInvalidImage, {kFormatPCXOrSCR});
  SeekFromBase(0);
  const TImageProperties& p = ImageProperties;
  ProgressRect = Rect(0, 0, static_cast<int32_t>(p.Width), 1);
  ProgressStarting(kPreparing);

  uint8_t h[kHeaderSize];
  ReadExact(stream, h, sizeof h);
  uint64_t dataSize = static_cast<uint64_t>(BytesLeft(stream));
  if (h[0] != kPaintbrush && h[0] != kScreenCapture) ImagingErrorFmt(kInvalidImage, {kFormatPCXOrSCR});
  const PcxLayout layout{p.SamplesPerPixel, p.BitsPerSample};
  if (!KnownLayout(layout)) ImagingErrorFmt(kInvalidColorFormat, {kFormatPCX});

  TColorManager& cm = ColorManager();
  const auto scheme = static_cast<ColorScheme>(p.ColorScheme);
  cm.SourceOptions = 0;
  cm.TargetOptions = 0;
  cm.SetSourceColorScheme(scheme);
  cm.SetSourceBitsPerSample(p.BitsPerSample);
  cm.SetSourceSamplesPerPixel(p.SamplesPerPixel);
  cm.SetTargetColorScheme(scheme == ColorScheme::PaletteIndex ? ColorScheme::PaletteIndex
                          : scheme == ColorScheme::Rgba       ? ColorScheme::Bgra
                                                              : ColorScheme::Bgr);
  cm.SetTargetBitsPerSample(p.BitsPerPixel == 2 ? 4 : p.BitsPerSample);
  cm.SetTargetSamplesPerPixel(p.SamplesPerPixel);
  TPixelFormat format = cm.GetTargetPixelFormat(1);
  const bool bitPlanes = layout.planes == 4 && layout.bits == 1;
  if (format == pfCustom) {
    if (!bitPlanes) ImagingErrorFmt(kInvalidColorFormat, {kFormatPCX});
    format = pf4bit;
  }
  SetPixelFormat(format);
  if (format == pf8bit) dataSize -= std::min<uint64_t>(dataSize, kPaletteBlockSize);
  const bool bytePlanes = format == pf24bit || format == pf32bit;
  if (!bytePlanes) MakePalette(h);

  const uint32_t bytesPerLine = ReadLe16(h, 66);
  // Every plane's line must hold the row's pixels, or conversion would read
  // past it into the next plane or line.
  if (uint64_t{bytesPerLine} * 8 < uint64_t{p.Width} * layout.bits)
    ImagingErrorFmt(kInvalidImage, {kFormatPCXOrSCR});
  const uint64_t lineSize = uint64_t{layout.planes} * bytesPerLine;
  const uint64_t imageBytes = ImageBytes(lineSize, p.Height);
  const bool runLength = p.Compression == ctRLE;
  // Rows past the end of a file cut short stay 0, but a file that lacks more
  // than a little of the picture it declares is refused before it is made.
  if (runLength)
    NeedPackedBytes(dataSize, imageBytes, kMaxRunExpansion);
  else
    NeedRawBytes(dataSize, imageBytes);
  // Lines are decoded a few at a time into one buffer, from the packed data
  // read a block at a time; runs may carry on from one line into the next.
  std::vector<uint8_t> block(kPackedBlock + 1);
  TPCXRunReader runs(block.data(), 0, true);
  uint64_t packedLeft = runLength ? dataSize : 0;
  size_t fed = 0;
  auto decode = [&](uint8_t* out, uint64_t size) {
    uint64_t got = runs.Read(out, size);
    while (got < size && packedLeft > 0) {
      const size_t kept = static_cast<size_t>(runs.Unread());
      std::memmove(block.data(), block.data() + fed - kept, kept);
      const size_t n = static_cast<size_t>(std::min<uint64_t>(packedLeft, block.size() - kept));
      ReadExact(stream, block.data() + kept, n);
      packedLeft -= n;
      fed = kept + n;
      runs.Feed(block.data(), fed);
      got += runs.Read(out + got, size - got);
    }
    return got;
  };
  uint64_t rawLeft = std::min(dataSize, imageBytes);
  const uint32_t linesAtOnce = static_cast<uint32_t>(std::clamp<uint64_t>(kPackedBlock / lineSize, 1, p.Height));
  std::vector<uint8_t> lines(static_cast<size_t>(linesAtOnce * lineSize));

  SetSize(static_cast<int>(p.Width), static_cast<int>(p.Height));
  ProgressEnding();
  ProgressStarting(kTransfering);
  for (uint32_t y = 0; y < p.Height; ++y) {
    const uint32_t inBuffer = y % linesAtOnce;
    if (inBuffer == 0) {
      const uint64_t size = std::min(linesAtOnce, p.Height - y) * lineSize;
      uint64_t got;
      if (runLength) {
        got = decode(lines.data(), size);
      } else {
        got = std::min(rawLeft, size);
        ReadExact(stream, lines.data(), got);
        rawLeft -= got;
      }
      // Lines past the end of a file cut short stay 0 (and no scratch of the
      // run reader stays).
      std::fill(lines.begin() + static_cast<ptrdiff_t>(got), lines.begin() + static_cast<ptrdiff_t>(size), 0);
    }
    const uint8_t* const line = lines.data() + inBuffer * lineSize;
    const std::span<uint8_t> target = ScanLineBytes(static_cast<int>(y));
    if (bitPlanes) {
      MergeBitPlanes(line, bytesPerLine, p.Width, target.data());
    } else if (bytePlanes) {
      TRowBytes planes[4];
      for (size_t k = 0; k < layout.planes; ++k) planes[k] = TRowBytes(line + k * bytesPerLine, bytesPerLine);
      cm.ConvertRow(std::span<const TRowBytes>(planes, layout.planes), target, p.Width, 0xFF);
    } else {
      cm.ConvertRow(TRowBytes(line, static_cast<size_t>(lineSize)), target, p.Width, 0xFF);
    }
    ProgressRow(y, p.Height);
  }
  ProgressEnding();
}

void TPCXGraphic::MakePalette(const uint8_t* header) {
  TColorManager& cm = ColorManager();
  const TPixelFormat format = PixelFormat();
  const uint16_t paletteInfo = ReadLe16(header, 68);
  if (header[1] == 3 && format != pf1bit) {
    SetBitmapColors(*this, SystemPalette16Entries());
  } else if (format == pf1bit) {
    SetBitmapColors(*this, cm.GrayscalePaletteEntries(false));
  } else if (format == pf4bit) {
    if (paletteInfo == kGreyPalette) {
      SetBitmapColors(*this, cm.GrayscalePaletteEntries(false));
    } else {
      const std::vector<std::span<const uint8_t>> map{std::span<const uint8_t>(header + 16, 48)};
      SetBitmapColors(*this, cm.ColorPaletteEntries(map, 0, 16, false));
    }
  } else if (format == pf8bit) {
    TStream& stream = *Stream();
    TRestorePosition keep(stream);
    const int64_t blockAt = stream.Size() - kPaletteBlockSize;
    if (blockAt < BasePosition() + kHeaderSize) return;
    stream.SetPosition(blockAt);
    uint8_t block[kPaletteBlockSize];
    ReadExact(stream, block, sizeof block);
    if (block[0] == kPaletteBlockMark) {
      const std::vector<std::span<const uint8_t>> map{std::span<const uint8_t>(block + 1, 768)};
      SetBitmapColors(*this, cm.ColorPaletteEntries(map, 0, 256, false));
    } else if (paletteInfo == kGreyPalette) {
      SetBitmapColors(*this, cm.GrayscalePaletteEntries(false));
    }
  }
}

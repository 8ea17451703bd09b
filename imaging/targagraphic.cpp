#include "imaging/targagraphic.h"

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

constexpr int kHeaderSize = 18;
constexpr uint8_t kTopDown = 0x20;
// A run packet of 1 + B bytes gives 128 pixels of B bytes: at most this many
// pixels per packed byte, rounded up.
uint64_t MaxPixelsPerByte(uint32_t pixelBytes) { return (128 + pixelBytes) / (1 + pixelBytes); }

struct TargaHeader {
  uint8_t idLength, mapType, imageType;
  uint16_t mapLength;
  uint8_t mapEntrySize;
  uint16_t width, height;
  uint8_t pixelSize, descriptor;
};

TargaHeader ReadHeader(TStream& stream) {
  uint8_t b[kHeaderSize];
  ReadExact(stream, b, sizeof b);
  return {b[0], b[1], b[2], ReadLe16(b, 5), b[7], ReadLe16(b, 12), ReadLe16(b, 14), b[16], b[17]};
}

bool KnownImageType(uint8_t type) { return type <= 3 || (type >= 9 && type <= 11); }
bool KnownPixelSize(uint8_t size) {
  return size == 8 || size == 15 || size == 16 || size == 24 || size == 32;
}
bool KnownMapEntrySize(uint8_t size) { return size == 15 || size == 16 || size == 24 || size == 32; }
bool IsGrey(uint8_t type) { return type == 3 || type == 11; }
bool IsRunLength(uint8_t type) { return type >= 9; }
uint32_t BytesOf(uint8_t bits) { return (bits + 7u) / 8u; }

void Skip(TStream& stream, uint64_t count) {
  NeedBytes(stream, count);
  stream.Seek(static_cast<int64_t>(count), soCurrent);
}

}  // namespace

TGraphicClass TTargaGraphic::StaticClass() {
  return GraphicClassOf<TTargaGraphic, TImagingGraphic>("TTargaGraphic");
}

bool TTargaGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition keep(stream);
  if (BytesLeft(stream) <= kHeaderSize) return false;
  const TargaHeader h = ReadHeader(stream);
  return KnownImageType(h.imageType) && h.mapType <= 1 && KnownMapEntrySize(h.mapEntrySize) &&
         KnownPixelSize(h.pixelSize);
}

bool TTargaGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  const TargaHeader h = ReadHeader(stream);
  TImageProperties& p = ImageProperties;
  p.Width = h.width;
  p.Height = h.height;
  p.BitsPerSample = 8;
  switch (h.pixelSize) {
    case 8:
      p.ColorScheme = static_cast<uint8_t>(IsGrey(h.imageType) ? ColorScheme::Gray : ColorScheme::PaletteIndex);
      p.SamplesPerPixel = 1;
      break;
    case 15:
    case 16:
      p.ColorScheme = static_cast<uint8_t>(ColorScheme::Rgb);
      p.BitsPerSample = 5;
      p.SamplesPerPixel = 3;
      break;
    case 24:
      p.ColorScheme = static_cast<uint8_t>(ColorScheme::Rgb);
      p.SamplesPerPixel = 3;
      break;
    case 32:
      p.ColorScheme = static_cast<uint8_t>(ColorScheme::Rgba);
      p.SamplesPerPixel = 4;
      break;
    default: break;
  }
  p.BitsPerPixel = static_cast<uint8_t>(p.SamplesPerPixel * p.BitsPerSample);
  p.Compression = IsRunLength(h.imageType) ? ctRLE : ctNone;
  return true;
}

void TTargaGraphic::LoadFromStream(TStream& stream) {
  auto load = BeginLoad(stream);
  if (!ReadImageProperties(stream, 0)) return;
  SeekFromBase(0);
  const TImageProperties& p = ImageProperties;
  ProgressRect = Rect(0, 0, static_cast<int32_t>(p.Width), 1);
  ProgressStarting(kPreparing);

  const TargaHeader h = ReadHeader(stream);
  if (!KnownImageType(h.imageType) || !KnownPixelSize(h.pixelSize))
    ImagingErrorFmt(kInvalidImage, {kFormatTarga});
  // A file of type 0 holds no picture, whatever size its header names: it
  // loads empty rather than as a blank bitmap of that size.
  if (h.imageType == 0) {
    ProgressEnding();
    return;
  }
  if (h.width == 0 || h.height == 0) ImagingErrorFmt(kInvalidImage, {kFormatTarga});
  const bool topDown = (h.descriptor & kTopDown) != 0;
  Skip(stream, h.idLength);

  TColorManager& cm = ColorManager();
  cm.SetSourceSamplesPerPixel(p.SamplesPerPixel);
  cm.SetTargetSamplesPerPixel(p.SamplesPerPixel);
  cm.SetSourceColorScheme(static_cast<ColorScheme>(p.ColorScheme));
  cm.SourceOptions = 0;
  cm.SetTargetColorScheme(ColorScheme::Bgr);
  cm.SetSourceBitsPerSample(p.BitsPerSample);
  cm.SetTargetBitsPerSample(p.BitsPerSample);
  SetPixelFormat(cm.GetTargetPixelFormat(1));

  if (IsGrey(h.imageType)) {
    SetBitmapColors(*this, cm.GrayscalePaletteEntries(false));
    // A grey image needs no map; one that is there still stands before the pixels.
    if (h.mapType == 1) Skip(stream, uint64_t{h.mapLength} * BytesOf(h.mapEntrySize));
  } else if (h.mapType == 1) {
    ReadColorMap(stream, h.mapLength, h.mapEntrySize);
  }

  const uint32_t pixelBytes = BytesOf(h.pixelSize);
  const uint64_t rowBytes = ImageRowBytes(p.Width, uint64_t{pixelBytes} * 8);
  const uint64_t imageBytes = ImageBytes(rowBytes, p.Height);
  if (IsRunLength(h.imageType))
    NeedPackedBytes(stream, uint64_t{p.Width} * p.Height, MaxPixelsPerByte(pixelBytes));
  else
    NeedBytes(stream, imageBytes);
  SetSize(static_cast<int>(p.Width), static_cast<int>(p.Height));
  ProgressEnding();
  ProgressStarting(kTransfering);
  if (IsRunLength(h.imageType))
    DecodeRows(stream, rowBytes, h.pixelSize, topDown);
  else
    ReadRows(stream, rowBytes, topDown);
  ProgressEnding();
}

void TTargaGraphic::ReadColorMap(TStream& stream, uint32_t length, uint8_t entrySize) {
  if (!KnownMapEntrySize(entrySize)) ImagingErrorFmt(kInvalidPalette, {kFormatTarga});
  const uint32_t entryBytes = BytesOf(entrySize);
  std::vector<uint8_t> map(size_t{length} * entryBytes);
  ReadExact(stream, map.data(), map.size());
  std::vector<TPaletteEntry> entries;
  if (entryBytes == 2) {
    for (uint32_t i = 0; i < length && i < 256; ++i) {
      const uint16_t w = ReadLe16(map.data(), size_t{i} * 2);
      entries.push_back({static_cast<uint8_t>((w & 0x7C00) >> 7), static_cast<uint8_t>((w & 0x3E0) >> 2),
                         static_cast<uint8_t>((w & 0x1F) << 3), 0});
    }
  } else {
    const std::vector<std::span<const uint8_t>> data{map};
    entries = ColorManager().ColorPaletteEntries(data, entryBytes == 3 ? 0 : 1, length, true);
  }
  SetBitmapColors(*this, std::move(entries));
}

void TTargaGraphic::ReadRows(TStream& stream, uint64_t rowBytes, bool topDown) {
  const uint32_t height = ImageProperties.Height;
  for (uint32_t i = 0; i < height; ++i) {
    ReadExact(stream, ScanLine(static_cast<int>(topDown ? i : height - 1 - i)), rowBytes);
    ProgressRow(i, height);
  }
}

// The whole image is one run of packets, and a packet may cross the end of a
// row: decoding it in one piece keeps every row in step.
void TTargaGraphic::DecodeRows(TStream& stream, uint64_t rowBytes, uint8_t pixelSize, bool topDown) {
  const uint32_t width = ImageProperties.Width, height = ImageProperties.Height;
  const uint64_t pixels = uint64_t{width} * height;
  const uint64_t imageBytes = rowBytes * height;
  // The most a packet run can take: one header byte for every pixel.
  const uint64_t packedMax = imageBytes + pixels;
  std::vector<uint8_t> packed(static_cast<size_t>(std::min<uint64_t>(BytesLeft(stream), packedMax)));
  ReadExact(stream, packed.data(), packed.size());

  TTargaRLEDecoder decoder(pixelSize);
  const uint8_t* source = packed.data();
  // Rows stored bottom first lie in the file as they lie in the bitmap's
  // memory; without row padding they decode straight into it.
  if (!topDown && static_cast<uint64_t>(RowStride()) == rowBytes) {
    auto* target = static_cast<uint8_t*>(ScanLine(static_cast<int>(height - 1)));
    decoder.Decode(source, target, static_cast<int64_t>(packed.size()), static_cast<int64_t>(pixels));
    for (uint32_t i = 0; i < height; ++i) ProgressRow(i, height);
    return;
  }
  std::vector<uint8_t> image(static_cast<size_t>(imageBytes));
  uint8_t* target = image.data();
  decoder.Decode(source, target, static_cast<int64_t>(packed.size()), static_cast<int64_t>(pixels));
  for (uint32_t i = 0; i < height; ++i) {
    std::memcpy(ScanLine(static_cast<int>(topDown ? i : height - 1 - i)), image.data() + i * rowBytes,
                static_cast<size_t>(rowBytes));
    ProgressRow(i, height);
  }
}

void TTargaGraphic::SaveToStreamCompressed(TStream& stream, bool compressed) {
  ProgressRect = Rect(0, 0, Width(), 1);
  ProgressStarting(kPreparing);
  uint32_t pixelBytes = 4;
  switch (PixelFormat()) {
    case pf1bit:
    case pf4bit:
      SetPixelFormat(pf8bit);
      pixelBytes = 1;
      break;
    case pf8bit: pixelBytes = 1; break;
    case pf16bit:
      // Targa's 16-bit pixels are 5-5-5: a 5-6-5 bitmap would change colour.
      SetPixelFormat(pf15bit);
      pixelBytes = 2;
      break;
    case pf15bit: pixelBytes = 2; break;
    case pf24bit: pixelBytes = 3; break;
    default: pixelBytes = static_cast<uint32_t>(PixelFormatBits(PixelFormat())) / 8; break;
  }
  if (Empty()) return;
  if (Width() > 0xFFFF || Height() > 0xFFFF) throw EInvalidGraphic("Image is too large");

  const bool mapped = pixelBytes == 1;
  uint8_t header[kHeaderSize] = {};
  header[1] = mapped ? 1 : 0;
  header[2] = compressed ? (mapped ? 9 : 10) : (mapped ? 1 : 2);
  header[5] = 0;  // 256 map entries of 24 bits, written also when there is no map
  header[6] = 1;
  header[7] = 24;
  header[12] = static_cast<uint8_t>(Width());
  header[13] = static_cast<uint8_t>(Width() >> 8);
  header[14] = static_cast<uint8_t>(Height());
  header[15] = static_cast<uint8_t>(Height() >> 8);
  header[16] = static_cast<uint8_t>(pixelBytes * 8);
  // Rows are written top row first, whatever the bitmap's memory layout.
  header[17] = kTopDown;
  stream.WriteBuffer(header, sizeof header);

  if (mapped) {
    uint8_t map[256 * 3] = {};
    const std::vector<TPaletteEntry>& colors = Colors();
    for (size_t i = 0; i < colors.size() && i < 256; ++i) {
      map[3 * i] = colors[i].peBlue;
      map[3 * i + 1] = colors[i].peGreen;
      map[3 * i + 2] = colors[i].peRed;
    }
    stream.WriteBuffer(map, sizeof map);
  }

  const uint32_t width = static_cast<uint32_t>(Width()), height = static_cast<uint32_t>(Height());
  const auto rowBytes = static_cast<int32_t>(width * pixelBytes);
  ProgressEnding();
  ProgressStarting(kTransfering);
  TTargaRLEDecoder encoder(pixelBytes * 8);
  std::vector<uint8_t> packed(compressed ? size_t{width} * (pixelBytes + 1) : 0);
  for (uint32_t y = 0; y < height; ++y) {
    const auto* row = static_cast<const uint8_t*>(ScanLine(static_cast<int>(y)));
    if (compressed) {
      uint32_t stored = 0;
      encoder.Encode(row, packed.data(), width, stored);
      stream.WriteBuffer(packed.data(), static_cast<int32_t>(stored));
    } else {
      stream.WriteBuffer(row, rowBytes);
    }
    ProgressRunning(0);
    ++ProgressRect.Top;
    ++ProgressRect.Bottom;
  }
  ProgressEnding();
}

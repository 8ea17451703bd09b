// Format notes: a 26-byte big-endian header ("8BPS", version 1, 6 reserved
// bytes, channels, height, width, depth, mode), three sections each led by
// its 32-bit length (colour mode data: the palette of indexed pictures, all
// red values then all green then all blue; image resources; layers and
// masks), then the merged image: a 16-bit compression (0 raw, 1 PackBits),
// for PackBits a table of 16-bit packed row lengths (every row of every
// channel), then the channels one after the other, each height rows of
// width samples of depth bits (1-bit rows padded to whole bytes).
#include "imaging/psdgraphic.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "classlib/bytereader.h"
#include "classlib/streams.h"
#include "imaging/colormanager.h"
#include "imaging/imagingerror.h"
#include "imaging/imagingtexts.h"
#include "imaging/readerhelpers.h"
#include "imaging/rledecoders.h"
#include "imaging/samplehelpers.h"

namespace {

constexpr int kHeaderSize = 26;
// PackBits makes at most 128 bytes of two: a picture beyond its packed bytes
// times this is a damaged header, refused before anything is sized by it.
constexpr uint64_t kMaxExpansion = 64;
constexpr uint64_t kExpansionSlack = 1024 * 1024;

[[noreturn]] void Invalid() { ImagingErrorFmt(kInvalidImage, {kFormatPSD}); }

void SkipSection(TStream& stream) {
  uint8_t length[4];
  ReadExact(stream, length, 4);
  const uint32_t n = ReadBe32(length);
  NeedBytes(stream, n);
  stream.Seek(n, soCurrent);
}

ColorScheme SchemeOfMode(uint32_t mode, uint32_t channels) {
  switch (mode) {
    case 0: case 1: case 8: return ColorScheme::Gray;
    case 2: return ColorScheme::PaletteIndex;
    case 3: case 7: return channels == 3 ? ColorScheme::Rgb : ColorScheme::Rgba;
    case 4: return ColorScheme::Cmyk;
    case 9: return ColorScheme::Lab;
    default: return ColorScheme::NoScheme;
  }
}

// Channels one row of the picture is made of.
uint32_t ChannelsUsed(ColorScheme s) {
  switch (s) {
    case ColorScheme::Gray: case ColorScheme::PaletteIndex: return 1;
    case ColorScheme::Rgba: case ColorScheme::Cmyk: return 4;
    default: return 3;
  }
}

}  // namespace

TGraphicClass TPSDGraphic::StaticClass() {
  return GraphicClassOf<TPSDGraphic, TImagingGraphic>("TPSDGraphic");
}

bool TPSDGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition restore(stream);
  if (BytesLeft(stream) <= kHeaderSize) return false;
  uint8_t h[kHeaderSize];
  ReadExact(stream, h, kHeaderSize);
  for (int i = 0; i < 4; ++i)
    if ((h[i] & 0xDF) != "8BPS"[i] && h[i] != "8BPS"[i]) return false;
  return ReadBe16(h, 4) == 1;
}

bool TPSDGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  TImageProperties& p = ImageProperties;
  uint8_t h[kHeaderSize];
  ReadExact(stream, h, kHeaderSize);
  if (std::memcmp(h, "8BPS", 4) != 0) return false;
  const uint32_t channels = ReadBe16(h, 12), depth = ReadBe16(h, 22), mode = ReadBe16(h, 24);
  p.Options = ioBigEndian;
  if (depth == 0 || depth > 255 || channels == 0 || channels > 255) return false;
  p.BitsPerSample = static_cast<uint8_t>(depth);
  p.Channels = static_cast<uint8_t>(channels);
  p.SamplesPerPixel = static_cast<uint8_t>(std::min<uint32_t>(channels, 4));
  p.BitsPerPixel = static_cast<uint8_t>(p.SamplesPerPixel * depth);
  p.ColorScheme = static_cast<uint8_t>(SchemeOfMode(mode, channels));
  if (mode == 0) p.Options |= ioMinIsWhite;
  p.Height = ReadBe32(h, 14);
  p.Width = ReadBe32(h, 18);
  for (int i = 0; i < 3; ++i) SkipSection(stream);
  uint8_t compression[2];
  ReadExact(stream, compression, 2);
  p.Compression = ReadBe16(compression) == 1 ? ctPackedBits : ctNone;
  return true;
}

void TPSDGraphic::LoadFromStream(TStream& stream) {
  auto scope = BeginLoad(stream);
  if (!ReadImageProperties(stream, 0)) Invalid();
  const TImageProperties& p = ImageProperties;
  const auto scheme = static_cast<ColorScheme>(p.ColorScheme);
  const uint32_t used = ChannelsUsed(scheme);
  if (scheme == ColorScheme::NoScheme || p.Channels < used || p.Width == 0 || p.Height == 0 ||
      p.Width > static_cast<uint32_t>(std::numeric_limits<int>::max()) ||
      p.Height > static_cast<uint32_t>(std::numeric_limits<int>::max()))
    Invalid();
  SeekFromBase(0);
  ProgressRect = Rect(0, 0, static_cast<int>(p.Width), 1);
  ProgressStarting(kPreparing);

  // Colours: grey levels and indices one sample a pixel (an alpha channel of
  // a grey picture is a plane of its own and simply not read).
  TColorManager& cm = ColorManager();
  using namespace ConversionOption;
  cm.SourceOptions = SwapBytes16;
  cm.TargetOptions = 0;
  const uint8_t depth = p.BitsPerSample;
  cm.SetSourceBitsPerSample(depth);
  cm.SetTargetBitsPerSample(depth == 16 ? 8 : depth);
  cm.SetSourceColorScheme(scheme);
  ColorScheme target = scheme;
  if (scheme == ColorScheme::Rgb || scheme == ColorScheme::Cmyk || scheme == ColorScheme::Lab) target = ColorScheme::Bgr;
  if (scheme == ColorScheme::Rgba) target = ColorScheme::Bgra;
  cm.SetTargetColorScheme(target);
  const auto samples = static_cast<uint8_t>(used);
  cm.SetSourceSamplesPerPixel(samples);
  cm.SetTargetSamplesPerPixel(scheme == ColorScheme::Cmyk ? 3 : samples);
  if (scheme == ColorScheme::Lab) cm.SourceOptions |= LightnessScaled | ChromaOffset;
  const TPixelFormat format = cm.GetTargetPixelFormat(1);
  if (format == pfCustom) Invalid();

  const uint64_t rowBytes = ImageRowBytes(p.Width, depth);
  const uint64_t planeBytes = ImageBytes(rowBytes, p.Height);
  ImageBytes(planeBytes, used);

  stream.Seek(kHeaderSize, soCurrent);
  uint8_t length[4];
  ReadExact(stream, length, 4);
  const uint32_t paletteLength = ReadBe32(length);
  NeedBytes(stream, paletteLength);
  std::vector<uint8_t> palette(std::min<uint32_t>(paletteLength, 768));
  ReadExact(stream, palette.data(), palette.size());
  stream.Seek(paletteLength - static_cast<int64_t>(palette.size()), soCurrent);
  SkipSection(stream);
  SkipSection(stream);
  stream.Seek(2, soCurrent);

  // PackBits: the packed length of every row of every channel.
  std::vector<uint16_t> rowLengths;
  uint64_t packedTotal = 0;
  if (p.Compression == ctPackedBits) {
    const uint64_t entries = uint64_t{p.Height} * p.Channels;
    NeedBytes(stream, entries * 2);
    std::vector<uint8_t> table(static_cast<size_t>(entries * 2));
    ReadExact(stream, table.data(), table.size());
    rowLengths.resize(static_cast<size_t>(entries));
    for (size_t i = 0; i < rowLengths.size(); ++i) rowLengths[i] = ReadBe16(table.data(), 2 * i);
    for (uint64_t i = 0; i < uint64_t{p.Height} * used; ++i) packedTotal += rowLengths[i];
    // The rows read must really be in the file, whatever the table says.
    NeedBytes(stream, packedTotal);
    if (planeBytes * used > packedTotal * kMaxExpansion + kExpansionSlack) Invalid();
  } else {
    NeedBytes(stream, planeBytes * used);
  }

  SetPixelFormat(format);
  SetSize(static_cast<int>(p.Width), static_cast<int>(p.Height));
  if (scheme == ColorScheme::PaletteIndex) {
    const uint32_t count = static_cast<uint32_t>(palette.size() / 3);
    if (count > 0) {
      const std::span<const uint8_t> all(palette);
      SetPalette(cm.CreateColorPalette({all.subspan(0, count), all.subspan(count, count), all.subspan(2 * count, count)},
                                       2, count, false));
    }
  } else if (scheme == ColorScheme::Gray) {
    SetPalette(cm.CreateGrayscalePalette((p.Options & ioMinIsWhite) != 0));
  }
  ProgressEnding();

  ProgressStarting(kLoadingData);
  std::vector<std::vector<uint8_t>> planes(used, std::vector<uint8_t>(static_cast<size_t>(planeBytes)));
  TPackbitsRLEDecoder decoder;
  std::vector<uint8_t> packed;
  for (uint32_t c = 0; c < used; ++c) {
    if (p.Compression != ctPackedBits) {
      ReadExact(stream, planes[c].data(), planeBytes);
      continue;
    }
    for (uint32_t y = 0; y < p.Height; ++y) {
      const uint16_t n = rowLengths[size_t{c} * p.Height + y];
      packed.resize(n);
      ReadExact(stream, packed.data(), n);
      const uint8_t* source = packed.data();
      uint8_t* dest = planes[c].data() + y * rowBytes;
      decoder.Decode(source, dest, n, static_cast<int64_t>(rowBytes));
    }
  }
  // Photoshop stores CMYK as ink left out: 0 is full ink.
  if (scheme == ColorScheme::Cmyk)
    for (auto& plane : planes)
      for (uint8_t& b : plane) b = static_cast<uint8_t>(~b);
  // The merged colours of a picture with transparency are stored blended on
  // white: where alpha is below full, the white is taken back out.
  if (scheme == ColorScheme::Rgba && (depth == 8 || depth == 16)) DivideOutAlpha(planes, depth, true);
  ProgressEnding();

  ProgressStarting(kTransfering);
  for (uint32_t y = 0; y < p.Height; ++y) {
    TRowBytes rows[4];
    for (uint32_t c = 0; c < used; ++c) rows[c] = TRowBytes(planes[c].data() + y * rowBytes, rowBytes);
    cm.ConvertRow(std::span<const TRowBytes>(rows, used == 1 ? 1 : used), ScanLineBytes(static_cast<int>(y)), p.Width, 0xFF);
    ProgressRow(y + 1, p.Height);
  }
  ProgressEnding();
}

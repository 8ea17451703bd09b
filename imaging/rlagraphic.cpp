// Format notes: a 740-byte big-endian header (window and active window as
// left, right, bottom, top; frame; storage type; colour, matte and auxiliary
// channel counts at 20, 22, 24; revision at 26; gamma as text at 28, 16
// bytes; channel space name at 580, 32 bytes; bits per colour channel at
// 658, bits per matte channel at 662), then one 32-bit offset per row from
// the start of the file. At each row's offset, every channel (colours, then
// mattes) as a 16-bit byte count and that many bytes of run-length data;
// a row of 16-bit samples unpacks to the high bytes of the row, then the low
// bytes.
#include "imaging/rlagraphic.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "classlib/bytereader.h"
#include "classlib/streams.h"
#include "classlib/strutils.h"
#include "imaging/colormanager.h"
#include "imaging/imagingerror.h"
#include "imaging/imagingtexts.h"
#include "imaging/readerhelpers.h"
#include "imaging/rledecoders.h"
#include "imaging/samplehelpers.h"

namespace {

constexpr int kHeaderSize = 740;
// One count byte and one value make at most 128 samples: a picture beyond
// its file's bytes times this is a damaged header.
constexpr uint64_t kMaxExpansion = 64;
constexpr uint64_t kExpansionSlack = 1024 * 1024;

std::string TextField(const uint8_t* h, size_t at, size_t width) {
  const auto* p = reinterpret_cast<const char*>(h + at);
  return std::string(p, std::find(p, p + width, '\0'));
}

std::string ChannelSpace(const uint8_t* h) { return LowerCase(TextField(h, 580, 32)); }

[[noreturn]] void Invalid() { ImagingErrorFmt(kInvalidImage, {"RLA"}); }

}  // namespace

TGraphicClass TRLAGraphic::StaticClass() {
  return GraphicClassOf<TRLAGraphic, TImagingGraphic>("TRLAGraphic");
}

bool TRLAGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition restore(stream);
  if (BytesLeft(stream) <= kHeaderSize) return false;
  uint8_t h[kHeaderSize];
  ReadExact(stream, h, kHeaderSize);
  const std::string space = ChannelSpace(h);
  return ReadBe16(h, 26) == 0xFFFE && (space == "rgb" || space == "xyz");
}

bool TRLAGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  TImageProperties& p = ImageProperties;
  uint8_t h[kHeaderSize];
  ReadExact(stream, h, kHeaderSize);
  p.Options = ioBigEndian;
  const uint32_t colours = ReadBe16(h, 20), mattes = ReadBe16(h, 22), bits = ReadBe16(h, 658);
  const uint32_t samples = colours + (mattes == 1 ? 1 : 0);
  if (samples > 255 || bits > 255) return false;
  p.SamplesPerPixel = static_cast<uint8_t>(samples);
  p.BitsPerSample = static_cast<uint8_t>(bits);
  p.BitsPerPixel = static_cast<uint8_t>(samples * bits);
  const std::string space = ChannelSpace(h);
  if (space == "xyz") return false;
  if (space == "rgb") p.ColorScheme = static_cast<uint8_t>(mattes == 0 ? ColorScheme::Rgb : ColorScheme::Rgba);
  double gamma = 1.0;
  if (TryStrToFloat(TextField(h, 28, 16), gamma) && gamma > 0 && gamma < 100)
    p.FileGamma = static_cast<float>(gamma);
  p.Compression = ctRLE;
  const auto left = static_cast<int16_t>(ReadBe16(h, 8)), right = static_cast<int16_t>(ReadBe16(h, 10));
  const auto bottom = static_cast<int16_t>(ReadBe16(h, 12)), top = static_cast<int16_t>(ReadBe16(h, 14));
  const int32_t width = int32_t{right} - left + 1, height = std::abs(int32_t{bottom} - top) + 1;
  p.Width = width > 0 ? static_cast<uint32_t>(width) : 0;
  p.Height = static_cast<uint32_t>(height);
  p.BottomUp = bottom < top;
  return true;
}

void TRLAGraphic::LoadFromStream(TStream& stream) {
  auto scope = BeginLoad(stream);
  const bool known = ReadImageProperties(stream, 0);
  TImageProperties& p = ImageProperties;
  uint8_t h[kHeaderSize];
  SeekFromBase(0);
  ReadExact(stream, h, kHeaderSize);
  // An XYZ picture is not shown; any other header the properties refuse
  // (channel counts past any real file's) is damaged.
  if (!known && ChannelSpace(h) == "xyz") return;
  const uint32_t colours = ReadBe16(h, 20), mattes = ReadBe16(h, 22);
  if (!known || p.Width == 0 || colours == 0) Invalid();
  // What each row really holds: three colour channels or one grey one, and
  // the first matte channel as alpha; further mattes are not shown.
  const bool grey = colours < 3;
  const bool alpha = !grey && mattes > 0;
  const uint32_t channels = (grey ? 1 : 3) + (alpha ? 1 : 0);
  const uint8_t bits = p.BitsPerSample;
  if (bits != 8 && bits != 16) Invalid();
  const uint64_t rowBytes = ImageRowBytes(p.Width, bits);
  const uint64_t imageBytes = ImageBytes(rowBytes * channels, p.Height);
  if (imageBytes > static_cast<uint64_t>(BytesLeft(stream)) * kMaxExpansion + kExpansionSlack)
    Invalid();

  ProgressRect = Rect(0, 0, static_cast<int>(p.Width), 1);
  ProgressStarting(kTransfering);
  TColorManager& cm = ColorManager();
  using namespace ConversionOption;
  cm.SourceOptions = SwapBytes16;
  cm.TargetOptions = 0;
  cm.SetSourceBitsPerSample(bits);
  cm.SetTargetBitsPerSample(8);
  cm.SetSourceSamplesPerPixel(static_cast<uint8_t>(channels));
  cm.SetTargetSamplesPerPixel(static_cast<uint8_t>(channels));
  cm.SetSourceColorScheme(grey ? ColorScheme::Gray : alpha ? ColorScheme::Rgba : ColorScheme::Rgb);
  cm.SetTargetColorScheme(grey ? ColorScheme::Gray : alpha ? ColorScheme::Bgra : ColorScheme::Bgr);
  // The file's gamma is the one its pixels were made for; 2.2, the usual,
  // leaves them as they are (as other decoders show them).
  if (p.FileGamma != 1.0f) {
    cm.SetGamma(1.0f / p.FileGamma, 2.2f);
    cm.TargetOptions |= GammaCorrect;
    p.Options |= ioFileGamma;
  }
  SetPixelFormat(cm.GetTargetPixelFormat(1));
  SetSize(static_cast<int>(p.Width), static_cast<int>(p.Height));
  if (grey) SetPalette(cm.CreateGrayscalePalette(false));

  NeedBytes(stream, uint64_t{p.Height} * 4);
  std::vector<uint8_t> table(size_t{p.Height} * 4);
  ReadExact(stream, table.data(), table.size());
  TRLADecoder decoder;
  std::vector<std::vector<uint8_t>> rows(channels, std::vector<uint8_t>(static_cast<size_t>(rowBytes)));
  std::vector<uint8_t> packed, bytePlanes(bits == 16 ? static_cast<size_t>(rowBytes) : 0);
  for (uint32_t i = 0; i < p.Height; ++i) {
    SeekFromBase(ReadBe32(table.data(), 4 * size_t{i}));
    for (uint32_t c = 0; c < channels; ++c) {
      // The first matte follows every colour channel of the file.
      if (alpha && c == 3)
        for (uint32_t skip = 3; skip < colours; ++skip) {
          uint8_t count[2];
          ReadExact(stream, count, 2);
          stream.Seek(ReadBe16(count), soCurrent);
        }
      uint8_t count[2];
      ReadExact(stream, count, 2);
      packed.resize(ReadBe16(count));
      ReadExact(stream, packed.data(), packed.size());
      std::vector<uint8_t>& unpacked = bits == 16 ? bytePlanes : rows[c];
      std::fill(unpacked.begin(), unpacked.end(), 0);
      const uint8_t* source = packed.data();
      uint8_t* dest = unpacked.data();
      decoder.Decode(source, dest, static_cast<int64_t>(packed.size()), static_cast<int64_t>(rowBytes));
      // High and low bytes into big-endian samples.
      for (size_t x = 0; x < bytePlanes.size() / 2; ++x) {
        rows[c][2 * x] = bytePlanes[x];
        rows[c][2 * x + 1] = bytePlanes[bytePlanes.size() / 2 + x];
      }
    }
    // Colours are stored multiplied by the matte: divided by it again they
    // show as other pictures' colours do.
    if (alpha) DivideOutAlpha(rows, bits, false);
    TRowBytes planes[4];
    for (uint32_t c = 0; c < channels; ++c) planes[c] = rows[c];
    const int y = p.BottomUp ? static_cast<int>(p.Height - 1 - i) : static_cast<int>(i);
    cm.ConvertRow(std::span<const TRowBytes>(planes, channels), ScanLineBytes(y), p.Width, 0xFF);
    ProgressRow(i + 1, p.Height);
  }
  ProgressEnding();
}

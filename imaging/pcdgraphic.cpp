// Format notes: sectors of 2048 bytes. An image pack has "PCD" at byte 2048
// and its orientation in the low two bits of byte 3586 (0 upright, 1 and 3 a
// quarter turn, 2 upside down); an overview pack starts with "PCD_OPA" and
// holds its image count in bytes 10 and 11 (big-endian). The Base picture
// starts at sector 96: 256 groups of two luma rows of 768 bytes, one first-
// chroma row and one second-chroma row of 384 bytes.
#include "imaging/pcdgraphic.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/streams.h"
#include "imaging/colormanager.h"
#include "imaging/imagingtexts.h"
#include "imaging/readerhelpers.h"
#include "imaging/samplehelpers.h"

namespace {

constexpr int kHeaderBytes = 6144;
constexpr int kSector = 2048;
constexpr uint32_t kBaseSector = 96;
constexpr uint32_t kBaseWidth = 768, kBaseHeight = 512;

}  // namespace

TGraphicClass TPCDGraphic::StaticClass() {
  return GraphicClassOf<TPCDGraphic, TImagingGraphic>("TPCDGraphic");
}

bool TPCDGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition restore(stream);
  if (BytesLeft(stream) <= kHeaderBytes) return false;
  std::vector<uint8_t> h(2051);
  ReadExact(stream, h.data(), h.size());
  return std::memcmp(h.data(), "PCD_OPA", 7) == 0 || std::memcmp(h.data() + 2048, "PCD", 3) == 0;
}

bool TPCDGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  uint32_t resolution = std::min<uint32_t>(imageIndex, 5);
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  TImageProperties& p = ImageProperties;
  std::vector<uint8_t> h(kHeaderBytes);
  ReadExact(stream, h.data(), h.size());
  p.Overview = std::memcmp(h.data(), "PCD_OPA", 7) == 0;
  if (!p.Overview && std::memcmp(h.data() + 2048, "PCD", 3) != 0) return false;
  p.Rotate = h[3586] & 3;
  if (p.Overview) resolution = 0;
  p.Width = 192u << resolution;
  p.Height = 128u << resolution;
  if (p.Rotate & 1) std::swap(p.Width, p.Height);
  p.ColorScheme = static_cast<uint8_t>(ColorScheme::PhotoYcc);
  p.BitsPerSample = 8;
  p.SamplesPerPixel = 3;
  p.BitsPerPixel = 24;
  p.Compression = resolution < 3 ? ctNone : ctPCDHuffmann;
  p.ImageCount = static_cast<uint16_t>(h[10] << 8 | h[11]);
  return true;
}

void TPCDGraphic::LoadFromStream(TStream& stream) {
  auto scope = BeginLoad(stream);
  if (!ReadImageProperties(stream, 2) || ImageProperties.Overview) return;
  TImageProperties& p = ImageProperties;
  const uint8_t rotate = p.Rotate;
  SeekFromBase(0);
  ProgressRect = Rect(0, 0, static_cast<int>(p.Width), 1);
  ProgressStarting(kPreparing);
  p.Width = kBaseWidth;
  p.Height = kBaseHeight;
  const size_t planeBytes = size_t{kBaseWidth} * kBaseHeight;
  // The whole Base picture must be there before its planes are made.
  NeedBytes(stream, uint64_t{kBaseSector} * kSector + planeBytes * 3 / 2);
  std::vector<uint8_t> luma(planeBytes), chroma1(planeBytes), chroma2(planeBytes);
  stream.Seek(int64_t{kBaseSector} * kSector, soCurrent);

  TColorManager& cm = ColorManager();
  cm.SourceOptions = 0;
  cm.TargetOptions = 0;
  cm.SetSourceColorScheme(ColorScheme::PhotoYcc);
  cm.SetSourceBitsPerSample(8);
  cm.SetSourceSamplesPerPixel(3);
  cm.SetTargetColorScheme(ColorScheme::Bgr);
  cm.SetTargetBitsPerSample(8);
  cm.SetTargetSamplesPerPixel(3);
  const float weights[3] = {0.2125f, 0.7154f, 0.0721f};
  cm.SetYCbCrParameters(weights, 2, 2);
  SetPixelFormat(pf24bit);
  ProgressEnding();

  ProgressStarting(kLoadingData);
  for (uint32_t row = 0; row < kBaseHeight; row += 2) {
    ProgressRunning(ProgressPercent(row, kBaseHeight));
    ReadExact(stream, luma.data() + size_t{row} * kBaseWidth, 2 * kBaseWidth);
    ReadExact(stream, chroma1.data() + size_t{row / 2} * kBaseWidth, kBaseWidth / 2);
    ReadExact(stream, chroma2.data() + size_t{row / 2} * kBaseWidth, kBaseWidth / 2);
  }
  ProgressEnding();
  ProgressStarting(kUpsampling);
  ProgressRunning(80);
  UpsampleByTwo(kBaseWidth / 2, kBaseHeight / 2, kBaseWidth, chroma1);
  ProgressRunning(100);
  UpsampleByTwo(kBaseWidth / 2, kBaseHeight / 2, kBaseWidth, chroma2);
  ProgressEnding();

  ProgressStarting(kTransfering);
  const bool turned = rotate & 1;
  SetSize(turned ? kBaseHeight : kBaseWidth, turned ? kBaseWidth : kBaseHeight);
  std::vector<uint8_t> line(size_t{kBaseWidth} * 3);
  for (uint32_t y = 0; y < kBaseHeight; ++y) {
    const size_t at = size_t{y} * kBaseWidth;
    const TRowBytes planes[3] = {TRowBytes(luma.data() + at, kBaseWidth),
                                 TRowBytes(chroma1.data() + at, kBaseWidth),
                                 TRowBytes(chroma2.data() + at, kBaseWidth)};
    if (!turned) {
      cm.ConvertRow(planes, ScanLineBytes(static_cast<int>(y)), kBaseWidth, 0xFF);
    } else {
      cm.ConvertRow(planes, line, kBaseWidth, 0xFF);
      // A quarter turn counter-clockwise (1) or clockwise (3).
      for (uint32_t x = 0; x < kBaseWidth; ++x) {
        const int row = rotate == 1 ? static_cast<int>(kBaseWidth - 1 - x) : static_cast<int>(x);
        const uint32_t column = rotate == 1 ? y : kBaseHeight - 1 - y;
        std::memcpy(static_cast<uint8_t*>(ScanLine(row)) + 3 * column, line.data() + 3 * x, 3);
      }
    }
    ProgressRow(y + 1, kBaseHeight);
  }
  ProgressEnding();
}

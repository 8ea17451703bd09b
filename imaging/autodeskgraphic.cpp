#include "imaging/autodeskgraphic.h"

#include <vector>

#include "classlib/bytereader.h"
#include "imaging/bitmapcolors.h"
#include "imaging/colormanager.h"
#include "imaging/imagingerror.h"
#include "imaging/imagingtexts.h"
#include "imaging/packedlimits.h"
#include "imaging/readerhelpers.h"

namespace {

constexpr int kHeaderSize = 32;
constexpr uint16_t kMagic = 0x9119;
constexpr int kPaletteSize = 256 * 3;

struct AutodeskHeader {
  uint16_t magic, width, height;
  uint8_t bitsPerPixel, compression;
};

AutodeskHeader ReadHeader(TStream& stream) {
  uint8_t b[kHeaderSize];
  ReadExact(stream, b, sizeof b);
  return {ReadLe16(b, 0), ReadLe16(b, 2), ReadLe16(b, 4), b[10], b[11]};
}

}  // namespace

TGraphicClass TAutodeskGraphic::StaticClass() {
  return GraphicClassOf<TAutodeskGraphic, TImagingGraphic>("TAutodeskGraphic");
}

bool TAutodeskGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition keep(stream);
  if (BytesLeft(stream) <= kHeaderSize) return false;
  const AutodeskHeader h = ReadHeader(stream);
  return h.magic == kMagic && h.bitsPerPixel == 8 && h.compression == 0;
}

bool TAutodeskGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  const AutodeskHeader h = ReadHeader(stream);
  if (h.magic != kMagic) return false;
  TImageProperties& p = ImageProperties;
  p.ColorScheme = static_cast<uint8_t>(ColorScheme::PaletteIndex);
  p.Width = h.width;
  p.Height = h.height;
  p.BitsPerSample = 8;
  p.SamplesPerPixel = 1;
  p.BitsPerPixel = 8;
  p.Compression = ctNone;
  return true;
}

void TAutodeskGraphic::LoadFromStream(TStream& stream) {
  auto load = BeginLoad(stream);
  if (!ReadImageProperties(stream, 0)) ImagingErrorFmt(kInvalidImage, {kFormatAutodesk});
  const TImageProperties& p = ImageProperties;
  if (p.Width == 0 || p.Height == 0) ImagingErrorFmt(kInvalidImage, {kFormatAutodesk});
  ProgressRect = Rect(0, 0, Width(), 1);
  ProgressStarting(kTransfering);

  uint8_t palette[kPaletteSize];
  ReadExact(stream, palette, sizeof palette);
  std::vector<TPaletteEntry> entries(256);
  // Six bits per component: 63 becomes 252.
  for (size_t i = 0; i < entries.size(); ++i)
    entries[i] = {static_cast<uint8_t>(palette[3 * i] * 4), static_cast<uint8_t>(palette[3 * i + 1] * 4),
                  static_cast<uint8_t>(palette[3 * i + 2] * 4), 0};
  SetPixelFormat(pf8bit);
  SetBitmapColors(*this, std::move(entries));

  // A file cut short gives short rows and the rest of the picture stays 0;
  // one that lacks more than a little of its pixels is refused before a
  // bitmap is made for them.
  NeedRawBytes(static_cast<uint64_t>(BytesLeft(stream)), ImageBytes(p.Width, p.Height));
  SetSize(static_cast<int>(p.Width), static_cast<int>(p.Height));
  for (uint32_t y = 0; y < p.Height; ++y) {
    stream.Read(ScanLine(static_cast<int>(y)), static_cast<int32_t>(p.Width));
    ProgressRow(y, p.Height);
  }
  ProgressEnding();
}

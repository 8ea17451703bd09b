#include "imaging/cutgraphic.h"

#include <algorithm>
#include <vector>

#include "classlib/bytereader.h"
#include "classlib/fileexists.h"
#include "classlib/paths.h"
#include "imaging/bitmapcolors.h"
#include "imaging/colormanager.h"
#include "imaging/imagingerror.h"
#include "imaging/packedlimits.h"
#include "imaging/readerhelpers.h"
#include "imaging/rledecoders.h"
#include "imaging/imagingtexts.h"

namespace {

constexpr int kHeaderSize = 6;
// A run packet of two bytes repeats a value up to 127 times.
constexpr uint64_t kMaxRunExpansion = 64;

// Palette file format notes: blocks of 512 bytes; a 40-byte header whose
// 16-bit value at offset 12 is the highest colour index; then six bytes per
// colour (red, green, blue as 16-bit values, the low byte used). An entry
// never spans two blocks: one that would start past byte 506 of its block
// starts the next block instead.
constexpr int kPaletteBlock = 512;
constexpr int kPaletteHeader = 40;
constexpr int kLastEntryStart = 506;
constexpr int kEntrySize = 6;

}  // namespace

TGraphicClass TCUTGraphic::StaticClass() {
  return GraphicClassOf<TCUTGraphic, TImagingGraphic>("TCUTGraphic");
}

bool TCUTGraphic::CanLoadFromStream(TStream& /*stream*/) { return false; }

bool TCUTGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  uint8_t b[4];
  ReadExact(stream, b, sizeof b);
  TImageProperties& p = ImageProperties;
  p.Width = ReadLe16(b, 0);
  p.Height = ReadLe16(b, 2);
  p.ColorScheme = static_cast<uint8_t>(ColorScheme::PaletteIndex);
  p.BitsPerSample = 8;
  p.SamplesPerPixel = 1;
  p.BitsPerPixel = 8;
  p.Compression = ctRLE;
  return true;
}

void TCUTGraphic::LoadFromFile(const std::string& fileName) {
  struct Forget {
    std::string& name;
    ~Forget() { name.clear(); }
  } forget{paletteFile_};
  paletteFile_ = ChangeFileExt(fileName, ".pal");
  TImagingGraphic::LoadFromFile(fileName);
}

void TCUTGraphic::LoadFromStream(TStream& stream) {
  auto load = BeginLoad(stream);
  ReadImageProperties(stream, 0);
  SeekFromBase(kHeaderSize);
  const TImageProperties& p = ImageProperties;
  if (p.Width == 0 || p.Height == 0) ImagingErrorFmt(kInvalidImage, {"CUT"});
  ProgressRect = Rect(0, 0, static_cast<int32_t>(p.Width), 0);
  ProgressStarting(kTransfering);

  const uint64_t imageBytes = ImageBytes(p.Width, p.Height);
  NeedPackedBytes(stream, imageBytes, kMaxRunExpansion);
  SetPixelFormat(pf8bit);
  SetSize(static_cast<int>(p.Width), static_cast<int>(p.Height));
  LoadPalette();

  std::vector<uint8_t> packed(static_cast<size_t>(BytesLeft(stream)));
  ReadExact(stream, packed.data(), packed.size());
  TCUTRLEDecoder decoder;
  const uint8_t* source = packed.data();
  const uint8_t* const end = packed.data() + packed.size();
  for (uint32_t y = 0; y < p.Height; ++y) {
    auto* target = static_cast<uint8_t*>(ScanLine(static_cast<int>(y)));
    // Rows follow one another; each is given what is left of the data.
    decoder.Decode(source, target, end - source, p.Width);
    ProgressRow(y, p.Height);
  }
  ProgressEnding();
}

void TCUTGraphic::LoadPalette() {
  std::vector<TPaletteEntry> entries;
  if (paletteFile_.empty() || !FileExists(paletteFile_)) {
    for (int i = 0; i < 256; ++i) entries.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0});
    SetBitmapColors(*this, std::move(entries));
    return;
  }
  TFileStream file(paletteFile_, fmOpenRead | fmShareDenyNone);
  uint8_t block[kPaletteBlock] = {};
  // A short palette file gives the colours it holds.
  auto readBlock = [&] {
    std::fill(std::begin(block), std::end(block), 0);
    return file.Read(block, kPaletteBlock);
  };
  int32_t got = readBlock();
  const uint32_t count = std::min<uint32_t>(got >= 14 ? ReadLe16(block, 12) + 1u : 0, 256);
  int at = kPaletteHeader;
  for (uint32_t i = 0; i < count; ++i) {
    if (at > kLastEntryStart) {
      got = readBlock();
      at = 0;
    }
    if (at + kEntrySize > got) break;
    entries.push_back({block[at], block[at + 2], block[at + 4], 0});
    at += kEntrySize;
  }
  SetBitmapColors(*this, std::move(entries));
}

#include "imaging/gifgraphic.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "classlib/bytereader.h"
#include "classlib/strutils.h"
#include "imaging/bitmapcolors.h"
#include "imaging/colormanager.h"
#include "imaging/imagingerror.h"
#include "imaging/imagingtexts.h"
#include "imaging/lzwdecoder.h"
#include "imaging/packedlimits.h"
#include "imaging/readerhelpers.h"

namespace {

constexpr int kHeaderSize = 6;
constexpr int kScreenSize = 7;
constexpr int kDescriptorSize = 9;
constexpr uint8_t kExtension = 0x21;
constexpr uint8_t kImage = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kPlainText = 0x01;
constexpr uint8_t kGraphicControl = 0xF9;
constexpr uint8_t kHasColorTable = 0x80;
constexpr uint8_t kInterlaced = 0x40;

struct Screen {
  uint16_t width, height;
  uint8_t flags;
};

struct Descriptor {
  uint16_t width, height;
  uint8_t flags;
};

uint8_t ReadByte(TStream& stream) {
  uint8_t b;
  ReadExact(stream, &b, 1);
  return b;
}

void Skip(TStream& stream, uint64_t count) {
  NeedBytes(stream, count);
  stream.Seek(static_cast<int64_t>(count), soCurrent);
}

void SkipDataBlocks(TStream& stream) {
  for (uint8_t size = ReadByte(stream); size != 0; size = ReadByte(stream)) Skip(stream, size);
}

Screen ReadScreen(TStream& stream) {
  uint8_t b[kScreenSize];
  ReadExact(stream, b, sizeof b);
  return {ReadLe16(b, 0), ReadLe16(b, 2), b[4]};
}

Descriptor ReadDescriptor(TStream& stream) {
  uint8_t b[kDescriptorSize];
  ReadExact(stream, b, sizeof b);
  return {ReadLe16(b, 4), ReadLe16(b, 6), b[8]};
}

uint32_t TableBytes(uint8_t flags) { return 3u << ((flags & 7) + 1); }

// The sub-blocks of the image data without their size bytes, up to the
// closing empty block or the end of the stream (a short last block counts).
std::vector<uint8_t> ReadDataBlocks(TStream& stream) {
  std::vector<uint8_t> data;
  uint8_t size = 0;
  while (stream.Read(&size, 1) == 1 && size != 0) {
    const size_t at = data.size();
    data.resize(at + size);
    const int32_t got = stream.Read(data.data() + at, size);
    data.resize(at + static_cast<size_t>(std::max(got, 0)));
    if (got < size) break;
  }
  return data;
}

// Rows of an interlaced image in the order they are stored.
template <class Visit>
void ForEachInterlacedRow(uint32_t height, Visit visit) {
  static constexpr uint32_t kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (uint32_t y = kStart[pass]; y < height; y += kStep[pass])
      if (!visit(pass, y)) return;
}

}  // namespace

TGraphicClass TGIFGraphic::StaticClass() {
  return GraphicClassOf<TGIFGraphic, TImagingGraphic>("TGIFGraphic");
}

bool TGIFGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition keep(stream);
  if (BytesLeft(stream) <= 22) return false;
  char signature[3];
  ReadExact(stream, signature, 3);
  return UpperCase(std::string(signature, 3)) == "GIF";
}

uint8_t TGIFGraphic::SkipSubBlocks(TStream& stream) {
  for (;;) {
    const uint8_t b = ReadByte(stream);
    if (b == kImage || b == kTrailer) return b;
    if (b != kExtension) continue;
    switch (ReadByte(stream)) {
      case kPlainText:
        Skip(stream, ReadByte(stream));
        SkipDataBlocks(stream);
        break;
      case kGraphicControl: Skip(stream, ReadByte(stream) + 1u); break;
      // Comments, application data and every extension the reader does not
      // know are sub-blocks up to an empty one.
      default: SkipDataBlocks(stream); break;
    }
  }
}

bool TGIFGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  char header[kHeaderSize];
  ReadExact(stream, header, sizeof header);
  if (UpperCase(std::string(header, 3)) != "GIF") return false;
  TImageProperties& p = ImageProperties;
  p.Version = static_cast<uint32_t>(StrToInt(std::string(header + 3, 2)));
  p.ColorScheme = static_cast<uint8_t>(ColorScheme::PaletteIndex);
  p.SamplesPerPixel = 1;
  p.BitsPerSample = 8;
  p.Compression = ctLZW;
  const Screen screen = ReadScreen(stream);
  if (screen.flags & kHasColorTable) {
    p.BitsPerSample = static_cast<uint8_t>((screen.flags & 7) + 1);
    Skip(stream, TableBytes(screen.flags));
  }
  if (SkipSubBlocks(stream) == kImage) {
    const Descriptor d = ReadDescriptor(stream);
    p.Width = d.width != 0 ? d.width : screen.width;
    p.Height = d.height != 0 ? d.height : screen.height;
    // The image shows within the logical screen; a frame that declares more
    // is cut to it.
    if (screen.width != 0) p.Width = std::min<uint32_t>(p.Width, screen.width);
    if (screen.height != 0) p.Height = std::min<uint32_t>(p.Height, screen.height);
    p.LocalColorTable = (d.flags & kHasColorTable) != 0;
    if (p.LocalColorTable) p.BitsPerSample = static_cast<uint8_t>((d.flags & 7) + 1);
    p.Interlaced = (d.flags & kInterlaced) != 0;
  }
  p.BitsPerPixel = static_cast<uint8_t>(p.SamplesPerPixel * p.BitsPerSample);
  return true;
}

void TGIFGraphic::ReadColorTable(TStream& stream, uint8_t flags) {
  const uint32_t bytes = TableBytes(flags);
  uint8_t table[3 * 256];
  ReadExact(stream, table, bytes);
  std::vector<TPaletteEntry> entries(bytes / 3);
  for (size_t i = 0; i < entries.size(); ++i) entries[i] = {table[3 * i], table[3 * i + 1], table[3 * i + 2], 0};
  SetBitmapColors(*this, std::move(entries));
}

void TGIFGraphic::LoadFromStream(TStream& stream) {
  auto load = BeginLoad(stream);
  if (!ReadImageProperties(stream, 0)) ImagingErrorFmt(kInvalidImage, {kFormatGIF});
  SeekFromBase(0);
  const TImageProperties& p = ImageProperties;
  ProgressRect = Rect(0, 0, static_cast<int32_t>(p.Width), 1);
  ProgressStarting(kPreparing);

  Skip(stream, kHeaderSize);
  SetPixelFormat(pf8bit);
  const Screen screen = ReadScreen(stream);
  if (screen.flags & kHasColorTable) ReadColorTable(stream, screen.flags);
  const bool found = SkipSubBlocks(stream) == kImage;
  ProgressEnding();
  if (!found) return;

  ProgressStarting(kLoadingData);
  const Descriptor d = ReadDescriptor(stream);
  // The frame as stored, of which the bitmap shows what lies in the screen.
  const uint32_t frameWidth = d.width != 0 ? d.width : screen.width;
  const uint32_t frameHeight = d.height != 0 ? d.height : screen.height;
  const uint32_t width = p.Width, height = p.Height;
  if (width == 0 || height == 0) ImagingErrorFmt(kInvalidImage, {kFormatGIF});
  if (d.flags & kHasColorTable) ReadColorTable(stream, d.flags);
  const uint8_t codeSize = ReadByte(stream);
  TGIFLZWDecoder decoder(codeSize);

  // Stored rows up to the last one the bitmap shows.
  uint32_t storedRows = 0;
  if (!p.Interlaced) {
    storedRows = height;
  } else {
    uint32_t seen = 0;
    ForEachInterlacedRow(frameHeight, [&](int, uint32_t y) {
      ++storedRows;
      if (y < height) ++seen;
      return seen < height;
    });
  }
  const uint64_t pixelBytes = ImageBytes(ImageRowBytes(frameWidth, 8), storedRows);
  ImageBytes(ImageRowBytes(width, 8), height);
  NeedDictionaryBytes(static_cast<uint64_t>(BytesLeft(stream)), pixelBytes, kMaxLzwExpansion);
  const std::vector<uint8_t> packed = ReadDataBlocks(stream);
  std::vector<uint8_t> pixels(static_cast<size_t>(pixelBytes));
  const uint8_t* source = packed.data();
  uint8_t* target = pixels.data();
  decoder.Decode(source, target, static_cast<int64_t>(packed.size()), static_cast<int64_t>(pixelBytes));

  SetSize(static_cast<int>(width), static_cast<int>(height));
  ProgressEnding();
  ProgressStarting(kTransfering);
  const auto copyRow = [&](uint32_t stored, uint32_t y) {
    if (y < height) std::memcpy(ScanLine(static_cast<int>(y)), pixels.data() + size_t{stored} * frameWidth, width);
  };
  if (!p.Interlaced) {
    for (uint32_t y = 0; y < height; ++y) {
      copyRow(y, y);
      ProgressRow(y, height);
    }
  } else {
    uint32_t stored = 0;
    ForEachInterlacedRow(frameHeight, [&](int pass, uint32_t y) {
      if (stored >= storedRows) return false;
      copyRow(stored++, y);
      // Progress follows the last pass, which completes the picture.
      if (pass == 3) ProgressRow(y + 2, height);
      return true;
    });
  }
  ProgressEnding();
}

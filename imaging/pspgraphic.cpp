// Format notes (little-endian throughout): a 36-byte header (the 32-byte
// signature "Paint Shop Pro Image File", major and minor version), then
// blocks: "~BK" and a 0 byte, a 16-bit identifier, in version 3 an initial
// data length, and the block's length counted from the end of its header.
// Blocks: 0 general image attributes (first), 2 colour palette, 3 layer bank
// holding layer blocks (4) whose channel blocks follow their bitmap
// information. Versions after 3 lead each block's fields with a 32-bit chunk
// length that counts itself.
#include "imaging/pspgraphic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "classlib/bytereader.h"
#include "classlib/streams.h"
#include "imaging/colormanager.h"
#include "imaging/imagingerror.h"
#include "imaging/imagingtexts.h"
#include "imaging/lz77decoder.h"
#include "imaging/packedlimits.h"
#include "imaging/readerhelpers.h"
#include "imaging/rledecoders.h"

namespace {

constexpr char kSignature[] = "Paint Shop Pro Image File";
constexpr size_t kSignatureLength = sizeof kSignature - 1;
constexpr int kFileHeaderSize = 36;
constexpr int kAttributesSize = 42;
constexpr uint16_t kGeneralAttributes = 0, kPalette = 2, kLayerBank = 3, kLayer = 4;
// A run packet of two bytes repeats a value up to 127 times.
constexpr uint64_t kMaxRunExpansion = 64;

[[noreturn]] void Invalid() { ImagingErrorFmt(kInvalidImage, {kFormatPSP}); }

uint32_t ReadU32(TStream& stream) {
  uint8_t b[4];
  ReadExact(stream, b, 4);
  return ReadLe32(b);
}

uint16_t ReadU16(TStream& stream) {
  uint8_t b[2];
  ReadExact(stream, b, 2);
  return ReadLe16(b);
}

// Moves to Position, which must lie ahead (a length from the file never
// sends the reader back into a block it has read).
void SeekAhead(TStream& stream, int64_t position) {
  if (position < stream.Position() || position > stream.Size()) throw EReadError("Stream read error");
  stream.SetPosition(position);
}

}  // namespace

TGraphicClass TPSPGraphic::StaticClass() {
  return GraphicClassOf<TPSPGraphic, TImagingGraphic>("TPSPGraphic");
}

bool TPSPGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition restore(stream);
  if (BytesLeft(stream) <= kFileHeaderSize) return false;
  uint8_t h[kFileHeaderSize];
  ReadExact(stream, h, kFileHeaderSize);
  return std::memcmp(h, kSignature, kSignatureLength) == 0 && ReadLe16(h, 32) >= 3;
}

bool TPSPGraphic::ReadBlockHeader(TStream& stream, TBlock& block) {
  const int size = ImageProperties.Version == 3 ? 14 : 10;
  if (BytesLeft(stream) < size) return false;
  uint8_t h[14];
  ReadExact(stream, h, static_cast<uint64_t>(size));
  block.Id = ReadLe16(h, 4);
  const uint32_t length = ReadLe32(h, size - 4);
  block.End = stream.Position() + length;
  block.Valid = h[0] == '~';
  return true;
}

void TPSPGraphic::ReadGeneralAttributes(TStream& stream) {
  TImageProperties& p = ImageProperties;
  if (p.Version > 3) ReadU32(stream);
  uint8_t a[kAttributesSize];
  ReadExact(stream, a, kAttributesSize);
  p.Width = ReadLe32(a, 0);
  p.Height = ReadLe32(a, 4);
  double resolution;
  const uint64_t bits = ReadLe64(a, 8);
  std::memcpy(&resolution, &bits, 8);
  const uint8_t unit = a[16];
  const uint16_t compression = ReadLe16(a, 17), depth = ReadLe16(a, 19);
  const bool grey = a[27] != 0;
  if (depth == 24) {
    p.BitsPerSample = 8;
    p.SamplesPerPixel = 3;
    p.ColorScheme = static_cast<uint8_t>(ColorScheme::Rgb);
  } else {
    p.BitsPerSample = static_cast<uint8_t>(std::min<uint16_t>(depth, 255));
    p.SamplesPerPixel = 1;
    p.ColorScheme = static_cast<uint8_t>(grey ? ColorScheme::Gray : ColorScheme::PaletteIndex);
  }
  p.BitsPerPixel = static_cast<uint8_t>(p.BitsPerSample * p.SamplesPerPixel);
  static const uint8_t kCompression[] = {ctNone, ctRLE, ctLZ77, ctJPEG};
  p.Compression = compression < 4 ? kCompression[compression] : uint8_t{ctUnknown};
  const double dpi = unit == 2 ? resolution * 2.54 : resolution;
  p.XResolution = std::isfinite(dpi) && std::fabs(dpi) < 1e30 ? static_cast<float>(dpi) : 0.0f;
  p.YResolution = p.XResolution;
}

bool TPSPGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  uint8_t h[kFileHeaderSize];
  ReadExact(stream, h, kFileHeaderSize);
  const uint16_t major = ReadLe16(h, 32);
  if (std::memcmp(h, kSignature, kSignatureLength) != 0 || major < 3) return false;
  ImageProperties.Version = major;
  TBlock block;
  if (!ReadBlockHeader(stream, block) || !block.Valid || block.Id != kGeneralAttributes) return false;
  ReadGeneralAttributes(stream);
  SeekAhead(stream, block.End);
  return true;
}

void TPSPGraphic::DecompressChannel(TStream& stream, uint32_t packed, std::vector<uint8_t>& buffer,
                                    uint32_t unpacked) {
  NeedBytes(stream, packed);
  std::vector<uint8_t> data(packed);
  ReadExact(stream, data.data(), packed);
  const uint8_t* source = data.data();
  uint8_t* dest = buffer.data();
  const auto room = static_cast<int64_t>(std::min<uint64_t>(unpacked, buffer.size()));
  if (ImageProperties.Compression == ctRLE) {
    TPSPRLEDecoder decoder;
    decoder.Decode(source, dest, static_cast<int64_t>(packed), room);
    return;
  }
  TLZ77Decoder decoder(Z_FINISH, false);
  decoder.DecodeInit();
  decoder.Decode(source, dest, static_cast<int64_t>(packed), room);
  decoder.DecodeEnd();
}

void TPSPGraphic::ReadChannel(TStream& stream, std::vector<uint8_t> (&buffers)[4], uint64_t size) {
  TBlock block;
  if (!ReadBlockHeader(stream, block) || !block.Valid) Invalid();
  const int64_t start = stream.Position();
  const uint32_t chunk = ImageProperties.Version > 3 ? ReadU32(stream) : 0;
  const uint32_t packed = ReadU32(stream), unpacked = ReadU32(stream);
  ReadU16(stream);  // bitmap type
  const uint16_t channel = ReadU16(stream);
  if (chunk > 16) SeekAhead(stream, start + chunk);
  if (channel <= 3) {
    // Buffers always hold the whole picture: a channel that says it is
    // smaller leaves the rest blank.
    std::vector<uint8_t>& buffer = buffers[channel];
    buffer.assign(static_cast<size_t>(size), 0);
    if (ImageProperties.Compression == ctNone) {
      NeedBytes(stream, packed);
      ReadExact(stream, buffer.data(), std::min<uint64_t>(std::min(packed, unpacked), size));
    } else {
      DecompressChannel(stream, packed, buffer, unpacked);
    }
  }
  SeekAhead(stream, std::max(stream.Position(), block.End));
}

void TPSPGraphic::LoadFromStream(TStream& stream) {
  auto scope = BeginLoad(stream);
  if (!ReadImageProperties(stream, 0)) Invalid();
  const TImageProperties& p = ImageProperties;
  if (p.Width == 0 || p.Height == 0 || p.Width > static_cast<uint32_t>(std::numeric_limits<int>::max()) ||
      p.Height > static_cast<uint32_t>(std::numeric_limits<int>::max()))
    Invalid();
  if (p.Compression == ctJPEG || p.Compression == ctUnknown)
    ImagingErrorFmt(kUnsupportedFeature, {kCompressionScheme, kFormatPSP});
  SeekFromBase(0);
  ProgressRect = Rect(0, 0, static_cast<int>(p.Width), 1);
  ProgressStarting(kPreparing);
  stream.Seek(kFileHeaderSize, soCurrent);
  TBlock first;
  ReadBlockHeader(stream, first);
  SeekAhead(stream, first.End);

  const auto scheme = static_cast<ColorScheme>(p.ColorScheme);
  TColorManager& cm = ColorManager();
  cm.SourceOptions = 0;
  cm.TargetOptions = 0;
  uint64_t rowBytes = 0;
  switch (p.BitsPerSample) {
    case 1: rowBytes = (uint64_t{p.Width} + 7) / 8; break;
    case 4: rowBytes = (uint64_t{p.Width} + 1) / 2; break;
    case 8: rowBytes = p.Width; break;
    default: ImagingErrorFmt(kInvalidColorFormat, {kFormatPSP});
  }
  cm.SetSourceBitsPerSample(p.BitsPerSample);
  cm.SetTargetBitsPerSample(p.BitsPerSample);
  cm.SetSourceSamplesPerPixel(p.SamplesPerPixel);
  cm.SetTargetSamplesPerPixel(p.SamplesPerPixel);
  cm.SetSourceColorScheme(scheme);
  cm.SetTargetColorScheme(scheme == ColorScheme::Rgb ? ColorScheme::Bgr : scheme);
  const uint64_t channelBytes = ImageBytes(rowBytes, p.Height);
  // What the rest of the file can hold of the picture's channels, by how
  // they are packed: a damaged header is refused before its bitmap is made.
  const uint64_t pictureBytes = ImageBytes(channelBytes, p.SamplesPerPixel);
  const auto left = static_cast<uint64_t>(BytesLeft(stream));
  if (p.Compression == ctNone)
    NeedRawBytes(left, pictureBytes);
  else if (p.Compression == ctRLE)
    NeedPackedBytes(left, pictureBytes, kMaxRunExpansion);
  else
    NeedDictionaryBytes(left, pictureBytes, kMaxDeflateExpansion);
  SetPixelFormat(cm.GetTargetPixelFormat(1));
  SetSize(static_cast<int>(p.Width), static_cast<int>(p.Height));
  if (scheme == ColorScheme::Gray) SetPalette(cm.CreateGrayscalePalette(false));
  ProgressEnding();

  std::vector<uint8_t> buffers[4];
  TBlock block;
  while (ReadBlockHeader(stream, block) && block.Valid) {
    if (block.Id == kPalette && scheme == ColorScheme::PaletteIndex) {
      if (p.Version > 3) ReadU32(stream);
      const uint32_t count = std::min<uint32_t>(ReadU32(stream), 256);
      NeedBytes(stream, uint64_t{count} * 4);
      std::vector<uint8_t> entries(size_t{count} * 4);
      ReadExact(stream, entries.data(), entries.size());
      if (count > 0) SetPalette(cm.CreateColorPalette({entries}, 1, count, true));
    } else if (block.Id == kLayerBank) {
      TBlock layer;
      while (stream.Position() < block.End && ReadBlockHeader(stream, layer) && layer.Valid && layer.Id == kLayer) {
        ProgressStarting(kLoadingData);
        uint8_t type = 0;
        uint16_t channels = 0;
        if (p.Version > 3) {
          const int64_t start = stream.Position();
          const uint32_t chunk = ReadU32(stream);
          stream.Seek(ReadU16(stream), soCurrent);  // the name
          uint8_t info[115];
          ReadExact(stream, info, sizeof info);
          type = info[0];
          SeekAhead(stream, std::max(stream.Position(), start + int64_t{chunk}));
          const int64_t bitmapStart = stream.Position();
          const uint32_t bitmapChunk = ReadU32(stream);
          ReadU16(stream);  // bitmap count
          channels = ReadU16(stream);
          SeekAhead(stream, std::max(stream.Position(), bitmapStart + int64_t{bitmapChunk}));
        } else {
          uint8_t info[256 + 115];
          ReadExact(stream, info, sizeof info);
          type = info[256];
          ReadU16(stream);
          channels = ReadU16(stream);
        }
        const bool raster = type == 0 || (p.Version > 3 && type == 1);
        if (!raster) {
          ProgressEnding();
          SeekAhead(stream, layer.End);
          continue;
        }
        if (channels > 3 && scheme == ColorScheme::Rgb) {
          cm.SetTargetColorScheme(ColorScheme::Bgra);
          SetPixelFormat(pf32bit);
        }
        for (uint16_t c = 0; c < channels; ++c) ReadChannel(stream, buffers, channelBytes);
        ProgressEnding();
        ProgressStarting(kTransfering);
        for (auto& buffer : buffers) buffer.resize(static_cast<size_t>(channelBytes), 0);
        for (uint32_t y = 0; y < p.Height; ++y) {
          const uint64_t at = y * rowBytes;
          TRowBytes rows[4];
          for (int c = 0; c < 4; ++c) rows[c] = TRowBytes(buffers[c].data() + at, rowBytes);
          if (scheme == ColorScheme::Rgb) {
            const TRowBytes colours[3] = {rows[1], rows[2], rows[3]};
            cm.ConvertRow(colours, ScanLineBytes(static_cast<int>(y)), p.Width, 0xFF);
          } else {
            cm.ConvertRow(rows[0], ScanLineBytes(static_cast<int>(y)), p.Width, 0xFF);
          }
          ProgressRow(y + 1, p.Height);
        }
        ProgressEnding();
        return;
      }
    }
    if (block.End > stream.Size()) break;
    SeekAhead(stream, std::max(stream.Position(), block.End));
  }
}

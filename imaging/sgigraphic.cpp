#include "imaging/sgigraphic.h"

#include <algorithm>

#include "classlib/bytereader.h"
#include "imaging/bitmapcolors.h"
#include "imaging/colormanager.h"
#include "imaging/imagingerror.h"
#include "imaging/imagingtexts.h"
#include "imaging/packedlimits.h"
#include "imaging/readerhelpers.h"
#include "imaging/rledecoders.h"

namespace {

constexpr int kHeaderSize = 512;
constexpr uint16_t kMagic = 474;
// A run packet of one count and one sample repeats it up to 127 times.
constexpr uint64_t kMaxRunExpansion = 64;

struct SgiHeader {
  uint16_t magic;
  uint8_t storage, bytesPerChannel;
  uint16_t dimension, width, height;
  uint8_t channels;
};

SgiHeader ReadHeader(TStream& stream) {
  uint8_t b[kHeaderSize];
  ReadExact(stream, b, sizeof b);
  // Only the low byte of the channel count is used.
  return {ReadBe16(b, 0), b[2], b[3], ReadBe16(b, 4), ReadBe16(b, 6), ReadBe16(b, 8), b[11]};
}

}  // namespace

TSGIGraphic::TSGIGraphic() = default;
TSGIGraphic::~TSGIGraphic() = default;

TGraphicClass TSGIGraphic::StaticClass() {
  return GraphicClassOf<TSGIGraphic, TImagingGraphic>("TSGIGraphic");
}

bool TSGIGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition keep(stream);
  if (BytesLeft(stream) <= kHeaderSize) return false;
  const SgiHeader h = ReadHeader(stream);
  return h.magic == kMagic && (h.bytesPerChannel == 1 || h.bytesPerChannel == 2) && h.dimension >= 1 &&
         h.dimension <= 3;
}

bool TSGIGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  const SgiHeader h = ReadHeader(stream);
  if (h.magic != kMagic) return false;
  TImageProperties& p = ImageProperties;
  p.Options = ioBigEndian;
  p.BitsPerSample = static_cast<uint8_t>(h.bytesPerChannel * 8);
  p.Width = h.width;
  p.Height = h.height;
  p.SamplesPerPixel = h.channels;
  p.ColorScheme = static_cast<uint8_t>(h.channels == 3   ? ColorScheme::Rgb
                                       : h.channels == 4 ? ColorScheme::Rgba
                                                         : ColorScheme::PaletteIndex);
  p.BitsPerPixel = static_cast<uint8_t>(p.SamplesPerPixel * p.BitsPerSample);
  p.Compression = h.storage == 1 ? ctRLE : ctNone;
  return true;
}

void TSGIGraphic::LoadFromStream(TStream& stream) {
  auto load = BeginLoad(stream);
  // The tables, the codec and the read buffer live only as long as the load.
  struct EndOfLoad {
    TSGIGraphic& g;
    ~EndOfLoad() {
      g.rowStart_.clear();
      g.rowSize_.clear();
      g.packed_.clear();
      g.decoder_.reset();
    }
  } endOfLoad{*this};
  if (!ReadImageProperties(stream, 0)) ImagingErrorFmt(kInvalidImage, {kFormatSGI});
  const TImageProperties& p = ImageProperties;
  ProgressRect = Rect(0, 0, static_cast<int32_t>(p.Width), 1);
  ProgressStarting(kPreparing);
  SeekFromBase(0);
  const SgiHeader h = ReadHeader(stream);
  const uint32_t bytesPerChannel = h.bytesPerChannel;
  if ((bytesPerChannel != 1 && bytesPerChannel != 2) || h.channels == 0 || h.channels > 4 || p.Width == 0 ||
      p.Height == 0)
    ImagingErrorFmt(kInvalidImage, {kFormatSGI});

  // Grey with alpha shows its grey channel; one- and two-channel pictures
  // alike become 8-bit grey, whatever the sample size.
  const bool colour = h.channels >= 3;
  // The cap is the bitmap's: 16-bit samples are only read a row at a time.
  ImageBytes(ImageRowBytes(p.Width, colour ? 8u * h.channels : 8u), p.Height);
  TColorManager& cm = ColorManager();
  cm.SourceOptions = ConversionOption::SwapBytes16;
  cm.TargetOptions = 0;
  const uint64_t channelBytes = uint64_t{p.Width} * bytesPerChannel;
  // Every row of every channel; well below 2^64 with 16-bit sizes.
  const uint64_t planeBytes = channelBytes * p.Height * h.channels;
  if (p.Compression == ctRLE) {
    const uint64_t count = uint64_t{p.Height} * h.channels;
    NeedBytes(stream, count * 8);
    std::vector<uint8_t> tables(static_cast<size_t>(count * 8));
    ReadExact(stream, tables.data(), tables.size());
    rowStart_.resize(static_cast<size_t>(count));
    rowSize_.resize(static_cast<size_t>(count));
    for (size_t i = 0; i < count; ++i) {
      rowStart_[i] = ReadBe32(tables.data(), 4 * i);
      rowSize_[i] = ReadBe32(tables.data(), 4 * (count + i));
    }
    decoder_ = std::make_unique<TSGIRLEDecoder>(p.BitsPerSample);
    // Rows may share their packed bytes, but a file that could not hold
    // every row at the best packing is refused before its bitmap is made.
    NeedPackedBytes(stream, planeBytes, kMaxRunExpansion);
  } else {
    // Every plane must be there before a bitmap is made for it.
    NeedBytes(stream, planeBytes);
  }

  cm.SetSourceBitsPerSample(p.BitsPerSample);
  cm.SetTargetBitsPerSample(8);
  cm.SetSourceSamplesPerPixel(colour ? h.channels : 1);
  cm.SetTargetSamplesPerPixel(colour ? h.channels : 1);
  cm.SetSourceColorScheme(colour ? static_cast<ColorScheme>(p.ColorScheme) : ColorScheme::Gray);
  cm.SetTargetColorScheme(h.channels == 3 ? ColorScheme::Bgr : h.channels == 4 ? ColorScheme::Bgra : ColorScheme::Gray);
  SetPixelFormat(cm.GetTargetPixelFormat(1));
  if (!colour) SetBitmapColors(*this, cm.GrayscalePaletteEntries(false));
  SetSize(static_cast<int>(p.Width), static_cast<int>(p.Height));
  ProgressEnding();
  ProgressStarting(kTransfering);

  const unsigned planes = colour ? h.channels : 1;
  std::vector<uint8_t> buffers(static_cast<size_t>(channelBytes) * planes);
  uint8_t* targets[4] = {};
  TRowBytes sources[4];
  for (unsigned c = 0; c < planes; ++c) {
    targets[c] = buffers.data() + c * channelBytes;
    sources[c] = TRowBytes(targets[c], static_cast<size_t>(channelBytes));
  }
  for (uint32_t y = 0; y < p.Height; ++y) {
    ReadAndDecode(targets, y, bytesPerChannel);
    cm.ConvertRow(std::span<const TRowBytes>(sources, planes), ScanLineBytes(static_cast<int>(p.Height - 1 - y)),
                  p.Width, 0xFF);
    ProgressRow(y, p.Height);
  }
  ProgressEnding();
}

void TSGIGraphic::ReadAndDecode(uint8_t* const targets[4], uint32_t row, uint32_t bytesPerChannel) {
  TStream& stream = *Stream();
  const uint32_t width = ImageProperties.Width, height = ImageProperties.Height;
  const uint64_t channelBytes = uint64_t{width} * bytesPerChannel;
  for (uint32_t c = 0; c < 4; ++c) {
    if (targets[c] == nullptr) continue;
    const uint64_t index = uint64_t{c} * height + row;
    if (!decoder_) {
      SeekFromBase(kHeaderSize + index * channelBytes);
      ReadExact(stream, targets[c], channelBytes);
      continue;
    }
    // A row's packets never need more than two bytes per sample plus the
    // closing count; a larger stated size is not read.
    const uint64_t most = 2 * channelBytes + 2 * bytesPerChannel;
    SeekFromBase(rowStart_[index]);
    const uint64_t size = std::min({uint64_t{rowSize_[index]} * bytesPerChannel, most,
                                    static_cast<uint64_t>(BytesLeft(stream))});
    packed_.resize(static_cast<size_t>(size));
    ReadExact(stream, packed_.data(), size);
    std::fill(targets[c], targets[c] + channelBytes, 0);
    const uint8_t* source = packed_.data();
    uint8_t* target = targets[c];
    decoder_->Decode(source, target, static_cast<int64_t>(size), static_cast<int64_t>(channelBytes));
  }
}

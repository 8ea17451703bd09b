#include "imaging/ppmgraphic.h"

#include <algorithm>
#include <string>
#include <vector>

#include "classlib/strutils.h"
#include "imaging/bitmapcolors.h"
#include "imaging/channelorder.h"
#include "imaging/colormanager.h"
#include "imaging/imagingerror.h"
#include "imaging/imagingtexts.h"
#include "imaging/packedlimits.h"
#include "imaging/readerhelpers.h"

namespace {

constexpr uint32_t kMaxNumber = 0x7FFFFFFF;
constexpr uint32_t kMaxSampleValue = 65535;
constexpr size_t kMaxLineKept = 256;

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool IsSpace(uint8_t c) { return c == ' ' || (c >= 9 && c <= 13); }

[[noreturn]] void InvalidMap() { ImagingErrorFmt(kInvalidImage, {kFormatPortableMaps}); }

// A sample brought from 0..maxValue to 0..255 with rounding; a value above
// the maximum counts as the maximum.
uint8_t ScaledSample(uint32_t value, uint32_t maxValue) {
  value = std::min(value, maxValue);
  return static_cast<uint8_t>((value * 255u + maxValue / 2) / maxValue);
}

}  // namespace

TGraphicClass TPPMGraphic::StaticClass() {
  return GraphicClassOf<TPPMGraphic, TImagingGraphic>("TPPMGraphic");
}

bool TPPMGraphic::CanLoadFromStream(TStream& stream) {
  TRestorePosition keep(stream);
  if (BytesLeft(stream) <= 10) return false;
  uint8_t magic[2];
  ReadExact(stream, magic, 2);
  return magic[0] == 'P' && magic[1] >= '1' && magic[1] <= '6';
}

bool TPPMGraphic::Refill() {
  const int32_t n = source_ ? source_->Read(buffer_, kBufferSize) : 0;
  index_ = 0;
  filled_ = n > 0 ? static_cast<uint32_t>(n) : 0;
  return filled_ > 0;
}

uint8_t TPPMGraphic::GetChar() {
  if (index_ >= filled_ && !Refill()) ImagingErrorFmt(kStreamReadError, {kFormatPPM});
  return buffer_[index_++];
}

uint64_t TPPMGraphic::BytesAhead() {
  return (filled_ - index_) + static_cast<uint64_t>(BytesLeft(*source_));
}

void TPPMGraphic::ReadBytes(uint8_t* target, uint64_t count) {
  while (count > 0) {
    if (index_ >= filled_ && !Refill()) ImagingErrorFmt(kStreamReadError, {kFormatPPM});
    const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(count, filled_ - index_));
    std::copy_n(buffer_ + index_, n, target);
    index_ += n;
    target += n;
    count -= n;
  }
}

std::string TPPMGraphic::ReadLine() {
  std::string line;
  for (;;) {
    const uint8_t c = GetChar();
    if (c == 10) break;
    if (c == 13) {
      if (PeekChar() == 10) ++index_;
      break;
    }
    if (line.size() < kMaxLineKept) line.push_back(static_cast<char>(c));
  }
  return line.substr(0, line.find('#'));
}

uint32_t TPPMGraphic::GetNumber() {
  uint8_t c = GetChar();
  for (;;) {
    if (c == '#') {
      ReadLine();
    } else if (!IsSpace(c)) {
      break;
    }
    c = GetChar();
  }
  // A sign or any other letter here is no size the reader can use.
  if (!IsDigit(c)) InvalidMap();
  uint64_t value = 0;
  while (IsDigit(c)) {
    value = value * 10 + (c - '0');
    if (value > kMaxNumber) InvalidMap();
    // The last number of a plain file may end the file.
    if (index_ >= filled_ && !Refill()) return static_cast<uint32_t>(value);
    c = buffer_[index_++];
  }
  return static_cast<uint32_t>(value);
}

bool TPPMGraphic::ReadImageProperties(TStream& stream, uint32_t imageIndex) {
  TImagingGraphic::ReadImageProperties(stream, imageIndex);
  TImageProperties& p = ImageProperties;
  source_ = &stream;
  index_ = filled_ = 0;
  p.Compression = ctNone;
  if (GetChar() != 'P') return false;
  magic_ = static_cast<uint32_t>(StrToInt(std::string(1, static_cast<char>(GetChar()))));
  maxValue_ = 1;
  if (magic_ < 1 || magic_ > 6) return true;
  // Header numbers may share the magic's line or stand on lines of their
  // own, with comments between any two of them.
  p.Width = GetNumber();
  p.Height = GetNumber();
  if (p.Width == 0 || p.Height == 0) return false;
  const bool bitmap = magic_ == 1 || magic_ == 4;
  if (!bitmap) {
    maxValue_ = GetNumber();
    if (maxValue_ == 0 || maxValue_ > kMaxSampleValue) return false;
  }
  const bool colour = magic_ == 3 || magic_ == 6;
  p.ColorScheme = static_cast<uint8_t>(colour ? ColorScheme::Rgb : ColorScheme::PaletteIndex);
  p.BitsPerSample = bitmap ? 1 : 8;
  p.SamplesPerPixel = colour ? 3 : 1;
  p.BitsPerPixel = static_cast<uint8_t>(p.BitsPerSample * p.SamplesPerPixel);
  return true;
}

void TPPMGraphic::LoadFromStream(TStream& stream) {
  auto load = BeginLoad(stream);
  if (!ReadImageProperties(stream, 0)) InvalidMap();
  const TImageProperties& p = ImageProperties;
  ProgressRect = Rect(0, 0, static_cast<int32_t>(p.Width), 1);
  ProgressStarting(kTransfering);
  if (magic_ < 1 || magic_ > 6) {
    ProgressEnding();
    return;
  }
  const bool bitmap = magic_ == 1 || magic_ == 4;
  const bool colour = magic_ == 3 || magic_ == 6;
  const uint32_t samples = colour ? 3 : 1;
  const uint32_t sampleBytes = maxValue_ > 255 ? 2 : 1;
  const bool plain = magic_ <= 3;

  // The data must be able to hold every pixel before a bitmap is made: a
  // byte per plain sample at least, the exact row bytes of a binary file.
  const uint64_t rowBytes = bitmap ? ImageRowBytes(p.Width, 1) : ImageRowBytes(p.Width, uint64_t{samples} * sampleBytes * 8);
  const uint64_t dataBytes = ImageBytes(plain ? uint64_t{p.Width} * samples : rowBytes, p.Height);
  if (BytesAhead() < dataBytes) ImagingErrorFmt(kStreamReadError, {kFormatPPM});

  TColorManager& cm = ColorManager();
  cm.TargetOptions = 0;
  cm.SetTargetSamplesPerPixel(1);
  cm.SetTargetBitsPerSample(bitmap ? 1 : 8);
  SetPixelFormat(bitmap ? pf1bit : colour ? pf24bit : pf8bit);
  if (!colour) SetBitmapColors(*this, cm.GrayscalePaletteEntries(bitmap));
  SetSize(static_cast<int>(p.Width), static_cast<int>(p.Height));
  if (magic_ == 1)
    LoadPlainBitmap(p.Width, p.Height);
  else if (plain)
    LoadPlainSamples(p.Width, p.Height, samples);
  else
    LoadBinarySamples(p.Width, p.Height, samples);
  ProgressEnding();
}

// Each pixel of a plain bitmap is one digit: "0101" is four pixels, spaces
// between them or not.
void TPPMGraphic::LoadPlainBitmap(uint32_t width, uint32_t height) {
  for (uint32_t y = 0; y < height; ++y) {
    auto* row = static_cast<uint8_t*>(ScanLine(static_cast<int>(y)));
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t c = GetChar();
      while (IsSpace(c) || c == '#') {
        if (c == '#') ReadLine();
        c = GetChar();
      }
      if (c != '0' && c != '1') InvalidMap();
      if (c == '1') row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
    ProgressRow(y, height);
  }
}

void TPPMGraphic::LoadPlainSamples(uint32_t width, uint32_t height, uint32_t samples) {
  for (uint32_t y = 0; y < height; ++y) {
    auto* row = static_cast<uint8_t*>(ScanLine(static_cast<int>(y)));
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* pixel = row + size_t{x} * samples;
      for (uint32_t s = 0; s < samples; ++s) {
        const uint32_t value = GetNumber();
        // Colour samples come red first; the bitmap holds blue first.
        pixel[samples - 1 - s] = maxValue_ == 255 ? static_cast<uint8_t>(value) : ScaledSample(value, maxValue_);
      }
    }
    ProgressRow(y, height);
  }
}

void TPPMGraphic::LoadBinarySamples(uint32_t width, uint32_t height, uint32_t samples) {
  const bool bitmap = magic_ == 4;
  const bool wide = maxValue_ > 255;
  const uint64_t values = uint64_t{width} * samples;
  const uint64_t rowBytes = bitmap ? (uint64_t{width} + 7) / 8 : values * (wide ? 2 : 1);
  // One-byte samples of a maximum other than 255 are stretched to the full range.
  const bool scaled = !bitmap && !wide && maxValue_ != 255;
  // Rows that need no more than a swap of red and blue are read in place.
  const bool inPlace = bitmap || (!wide && (samples == 1 || (samples == 3 && !scaled)));
  std::vector<uint8_t> line(inPlace ? 0 : static_cast<size_t>(rowBytes));
  uint8_t scale[256];
  for (uint32_t v = 0; v < 256; ++v) scale[v] = scaled ? ScaledSample(v, maxValue_) : static_cast<uint8_t>(v);
  for (uint32_t y = 0; y < height; ++y) {
    auto* row = static_cast<uint8_t*>(ScanLine(static_cast<int>(y)));
    if (line.empty()) {
      ReadBytes(row, rowBytes);
      if (scaled) std::for_each(row, row + rowBytes, [&](uint8_t& v) { v = scale[v]; });
      if (samples == 3 && !bitmap) ReverseChannels3(row, row, width);
    } else {
      ReadBytes(line.data(), rowBytes);
      // Colour samples come red first; the bitmap holds blue first.
      const uint8_t* in = line.data();
      uint8_t* out = row;
      if (wide) {
        for (uint32_t x = 0; x < width; ++x, in += 2 * samples, out += samples)
          for (uint32_t s = 0; s < samples; ++s)
            out[samples - 1 - s] = ScaledSample(uint32_t{in[2 * s]} << 8 | in[2 * s + 1], maxValue_);
      } else {
        for (uint32_t x = 0; x < width; ++x, in += samples, out += samples)
          for (uint32_t s = 0; s < samples; ++s) out[samples - 1 - s] = scale[in[s]];
      }
    }
    ProgressRow(y, height);
  }
}

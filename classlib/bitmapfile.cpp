// BMP files: reading every common variant, writing the bitmap's own format.
//
// Format notes: a file header (14 bytes, "BM", offset of the pixels at 10),
// then an info header whose first 4 bytes give its size: 12 (OS/2 core
// header, 16-bit sizes, 3-byte colour entries) or 40 and longer (32-bit
// signed sizes, a negative height meaning top-down rows; 52 and longer hold
// the bit-field masks, which a 40-byte header with BI_BITFIELDS follows with
// 12 bytes). The colour table follows the info header; rows are padded to
// 4 bytes and stored bottom-up unless the height is negative.
#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/bitmap.h"
#include "classlib/bitmapstore.h"
#include "classlib/bytereader.h"
#include "classlib/checkedsize.h"
#include "classlib/streams.h"

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kLongestInfoHeader = 124;
// A run-length picture can declare any size in a few bytes ("end of picture"
// leaves every other pixel blank), so its declared size says nothing about
// its data. It gets far less room than other bitmaps: an 8-bit picture of 32
// million pixels, beyond any real run-length file.
constexpr int64_t kMaxRunLengthImageBytes = 32 * 1024 * 1024;

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic("Bitmap image is not valid"); }

void ReadOrFail(TStream& stream, void* buffer, int64_t count) {
  auto* p = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    int32_t n = stream.Read(p, static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX)));
    if (n <= 0) InvalidBitmap();
    p += n;
    count -= n;
  }
}

struct BmpInfo {
  int width = 0;
  int height = 0;
  bool topDown = false;
  int bits = 0;
  uint32_t compression = kBiRgb;
  uint32_t colorsUsed = 0;
  uint32_t imageSize = 0;
  uint32_t masks[3] = {0, 0, 0};
  bool core = false;
};

BmpInfo ReadInfoHeader(TStream& stream) {
  uint8_t h[kLongestInfoHeader] = {};
  ReadOrFail(stream, h, 4);
  const uint32_t size = ReadLe32(h);
  BmpInfo info;
  if (size == 12) {
    ReadOrFail(stream, h + 4, 8);
    info.core = true;
    info.width = ReadLe16(h, 4);
    info.height = ReadLe16(h, 6);
    info.bits = ReadLe16(h, 10);
    if (info.bits != 1 && info.bits != 4 && info.bits != 8 && info.bits != 24) InvalidBitmap();
    return info;
  }
  // 64 is the OS/2 2.x header, whose first 40 bytes read like the usual one.
  if (size != 40 && size != 52 && size != 56 && size != 64 && size != 108 && size != 124)
    InvalidBitmap();
  ReadOrFail(stream, h + 4, size - 4);
  const auto width = static_cast<int32_t>(ReadLe32(h, 4));
  const auto height = static_cast<int32_t>(ReadLe32(h, 8));
  if (width < 0 || height == INT32_MIN) InvalidBitmap();
  info.width = width;
  info.height = height < 0 ? -height : height;
  info.topDown = height < 0;
  info.bits = ReadLe16(h, 14);
  info.compression = ReadLe32(h, 16);
  info.imageSize = ReadLe32(h, 20);
  info.colorsUsed = ReadLe32(h, 32);
  if (info.compression == kBiBitfields) {
    if (size == kInfoHeaderSize) ReadOrFail(stream, h + 40, 12);
    if (size == 64) InvalidBitmap();  // OS/2 Huffman coding, not bit fields
    for (int i = 0; i < 3; ++i) info.masks[i] = ReadLe32(h, 40 + 4 * i);
  }
  switch (info.compression) {
    case kBiRgb:
      if (info.bits != 1 && info.bits != 4 && info.bits != 8 && info.bits != 16 &&
          info.bits != 24 && info.bits != 32)
        InvalidBitmap();
      break;
    case kBiRle8:
      if (info.bits != 8) InvalidBitmap();
      break;
    case kBiRle4:
      if (info.bits != 4) InvalidBitmap();
      break;
    case kBiBitfields:
      if (info.bits != 16 && info.bits != 32) InvalidBitmap();
      break;
    default:
      throw EInvalidGraphic("Unsupported bitmap compression");
  }
  return info;
}

// One colour channel given by a bit mask, widened to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    while (((m >> shift) & 1) == 0) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1) != 0) ++bits;
  }
  uint8_t Get(uint32_t pixel) const {
    if (bits == 0) return 0;
    uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    uint32_t max = (1u << bits) - 1;
    return static_cast<uint8_t>(((v & max) * 255 + max / 2) / max);
  }
};

// Run-length rows (RLE8 or RLE4), bottom-up as stored. Pixels outside the
// picture are dropped; a run never writes past its row.
void DecodeRle(const std::vector<uint8_t>& data, TBitmap& image, bool rle4, bool topDown) {
  const int w = image.Width();
  const int h = image.Height();
  const int bits = rle4 ? 4 : 8;
  int x = 0;
  int y = 0;  // rows from the first stored one
  auto put = [&](uint32_t index) {
    if (x < w && y < h) {
      auto* row = static_cast<uint8_t*>(image.ScanLine(topDown ? y : h - 1 - y));
      WritePixelIndex(row, x, bits, index);
    }
    ++x;
  };
  size_t pos = 0;
  const size_t n = data.size();
  while (pos + 1 < n && y < h) {
    const uint8_t count = data[pos];
    const uint8_t value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(rle4 ? ((i & 1) ? value & 15 : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of row
      x = 0;
      ++y;
    } else if (value == 1) {  // end of picture
      break;
    } else if (value == 2) {  // jump right and up
      if (pos + 1 >= n) break;
      x += data[pos];
      y += data[pos + 1];
      pos += 2;
    } else {  // `value` pixels given one by one, padded to 16 bits
      const size_t bytes = rle4 ? (value + 1u) / 2u : value;
      if (bytes > n - pos) break;
      for (int i = 0; i < value; ++i) {
        const uint8_t b = data[pos + (rle4 ? i / 2 : i)];
        put(rle4 ? ((i & 1) ? b & 15 : b >> 4) : b);
      }
      pos += (bytes + 1) & ~size_t{1};
    }
  }
}

TPixelFormat FormatOfBits(int bits) {
  switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 24: return pf24bit;
    default: return pf32bit;
  }
}

}  // namespace

void TBitmap::TakeImage(TBitmap& other) {
  std::swap(store_, other.store_);
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  std::swap(format_, other.format_);
  std::swap(colors_, other.colors_);
  std::swap(palette_, other.palette_);
}

void TBitmap::LoadFromStream(TStream& stream) {
  const int64_t start = stream.Position();
  uint8_t fileHeader[kFileHeaderSize];
  ReadOrFail(stream, fileHeader, kFileHeaderSize);
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') InvalidBitmap();
  const uint32_t offBits = ReadLe32(fileHeader, 10);
  const BmpInfo info = ReadInfoHeader(stream);

  // The pixel format the file's pixels go into, and whether they are copied
  // unchanged or unpacked through bit-field masks.
  TPixelFormat format = FormatOfBits(info.bits);
  bool throughMasks = false;
  if (info.bits == 16) {
    const uint32_t* m = info.masks;
    if (info.compression == kBiRgb || (m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F))
      format = pf15bit;
    else if (m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F)
      format = pf16bit;
    else
      throughMasks = true;
  } else if (info.bits == 32 && info.compression == kBiBitfields) {
    throughMasks = !(info.masks[0] == 0xFF0000 && info.masks[1] == 0xFF00 && info.masks[2] == 0xFF);
  }

  std::vector<TPaletteEntry> colors;
  const int64_t tableStart = stream.Position() - start;
  if (IsIndexed(format)) {
    const uint32_t room = 1u << info.bits;
    const int entrySize = info.core ? 3 : 4;
    uint32_t count = (info.colorsUsed == 0 || info.colorsUsed > room) ? room : info.colorsUsed;
    if (offBits > tableStart)
      count = static_cast<uint32_t>(
          std::min<int64_t>(count, (static_cast<int64_t>(offBits) - tableStart) / entrySize));
    std::vector<uint8_t> table(static_cast<size_t>(count) * entrySize);
    ReadOrFail(stream, table.data(), static_cast<int64_t>(table.size()));
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* e = table.data() + i * entrySize;
      colors.push_back({e[2], e[1], e[0], 0});
    }
    if (colors.empty()) colors = DefaultColors(format);
  }
  // A pixel offset that points into the headers is not believed: the
  // pixels then follow the colour table.
  if (offBits >= stream.Position() - start) stream.SetPosition(start + offBits);

  const int64_t srcStride = BytesPerScanLine(info.width, info.bits);
  const int64_t remaining = stream.Size() - stream.Position();
  const bool rle = info.compression == kBiRle8 || info.compression == kBiRle4;
  const uint64_t need = CappedMul<EInvalidGraphic>(
      static_cast<uint64_t>(srcStride), static_cast<uint64_t>(info.height),
      rle ? kMaxRunLengthImageBytes : kMaxImageBytes, "Image is too large");
  if (!rle && (remaining < 0 || need > static_cast<uint64_t>(remaining))) InvalidBitmap();

  TBitmap image;
  image.SetPixelFormat(format);
  if (IsIndexed(format)) image.colors_ = colors;
  image.SetSize(info.width, info.height);

  if (!image.Empty() && rle) {
    const int64_t size = std::min<int64_t>(
        std::max<int64_t>(remaining, 0),
        info.imageSize != 0 ? std::min<int64_t>(info.imageSize, kMaxImageBytes) : kMaxImageBytes);
    std::vector<uint8_t> data(static_cast<size_t>(size));
    ReadOrFail(stream, data.data(), size);
    DecodeRle(data, image, info.compression == kBiRle4, info.topDown);
  } else if (!image.Empty() && throughMasks) {
    const Channel red(info.masks[0]), green(info.masks[1]), blue(info.masks[2]);
    std::vector<uint8_t> row(static_cast<size_t>(srcStride));
    for (int i = 0; i < info.height; ++i) {
      ReadOrFail(stream, row.data(), srcStride);
      auto* dst = static_cast<uint8_t*>(image.ScanLine(info.topDown ? i : info.height - 1 - i));
      for (int x = 0; x < info.width; ++x) {
        const uint32_t p = info.bits == 16 ? ReadLe16(row.data(), 2 * x) : ReadLe32(row.data(), 4 * x);
        dst[4 * x] = blue.Get(p);
        dst[4 * x + 1] = green.Get(p);
        dst[4 * x + 2] = red.Get(p);
      }
    }
  } else if (!image.Empty() && !info.topDown) {
    // Stored bottom-up with the same padding as the bitmap's memory.
    ReadOrFail(stream, image.store_->bits, srcStride * info.height);
  } else if (!image.Empty()) {
    for (int i = 0; i < info.height; ++i) ReadOrFail(stream, image.ScanLine(i), srcStride);
  }

  TakeImage(image);
  Changed(this);
}

void TBitmap::SaveToStream(TStream& stream) {
  const int bits = PixelFormatBits(format_);
  const bool masks = format_ == pf16bit;
  const uint32_t colorCount = IsIndexed(format_) ? static_cast<uint32_t>(colors_.size()) : 0;
  const uint32_t infoSize = kInfoHeaderSize + (masks ? 12 : 0);
  const uint32_t offBits = kFileHeaderSize + infoSize + colorCount * 4;
  const auto imageBytes = static_cast<uint32_t>(store_ ? RowStride() * height_ : 0);

  std::vector<uint8_t> h(offBits, 0);
  auto put16 = [&](size_t at, uint32_t v) {
    h[at] = static_cast<uint8_t>(v);
    h[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  h[0] = 'B';
  h[1] = 'M';
  put32(2, offBits + imageBytes);
  put32(10, offBits);
  put32(14, kInfoHeaderSize);
  put32(18, static_cast<uint32_t>(width_));
  put32(22, static_cast<uint32_t>(height_));
  put16(26, 1);
  put16(28, static_cast<uint32_t>(bits));
  put32(30, masks ? kBiBitfields : kBiRgb);
  put32(34, imageBytes);
  put32(46, colorCount);
  if (masks) {
    put32(54, 0xF800);
    put32(58, 0x07E0);
    put32(62, 0x001F);
  }
  for (uint32_t i = 0; i < colorCount; ++i) {
    const size_t at = kFileHeaderSize + infoSize + i * 4;
    h[at] = colors_[i].peBlue;
    h[at + 1] = colors_[i].peGreen;
    h[at + 2] = colors_[i].peRed;
  }
  stream.WriteBuffer(h.data(), static_cast<int32_t>(h.size()));
  if (imageBytes != 0) stream.WriteBuffer(store_->bits, static_cast<int32_t>(imageBytes));
}

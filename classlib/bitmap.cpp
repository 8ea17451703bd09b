#include "classlib/bitmap.h"

#include <algorithm>
#include <cstring>

#include "classlib/bitmapstore.h"
#include "classlib/checkedsize.h"

int PixelFormatBits(TPixelFormat format) {
  switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pfDevice:
    case pf32bit: return 32;
    case pfCustom: break;
  }
  return 0;
}

int64_t BytesPerScanLine(int64_t width, int bitsPerPixel) {
  return (width * bitsPerPixel + 31) / 32 * 4;
}

std::vector<TPaletteEntry> DefaultColors(TPixelFormat format) {
  std::vector<TPaletteEntry> colors;
  switch (format) {
    case pf1bit:
      colors = {{0, 0, 0, 0}, {255, 255, 255, 0}};
      break;
    case pf4bit:
      colors = SystemPalette16Entries();
      break;
    case pf8bit:
      colors = SystemPalette16Entries();
      for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
          for (int b = 0; b < 6; ++b)
            colors.push_back({static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51),
                              static_cast<uint8_t>(b * 51), 0});
      for (int i = 0; colors.size() < 256; ++i) {
        auto v = static_cast<uint8_t>(8 + i * 10);
        colors.push_back({v, v, v, 0});
      }
      break;
    default:
      break;
  }
  return colors;
}

// --- pixels ------------------------------------------------------------------

uint32_t ReadPixelIndex(const uint8_t* row, int x, int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u;
    default: return row[x];
  }
}

void WritePixelIndex(uint8_t* row, int x, int bitsPerPixel, uint32_t index) {
  switch (bitsPerPixel) {
    case 1: {
      auto bit = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<uint8_t>((index & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
      break;
    }
    case 4: {
      int shift = (x & 1) ? 0 : 4;
      row[x >> 1] =
          static_cast<uint8_t>((row[x >> 1] & ~(0x0F << shift)) | ((index & 15) << shift));
      break;
    }
    default:
      row[x] = static_cast<uint8_t>(index);
  }
}

namespace {
// Widens a sample of `bits` bits to 8 bits (31 -> 255, 0 -> 0).
uint8_t Widen(uint32_t value, int bits) {
  uint32_t max = (1u << bits) - 1;
  return static_cast<uint8_t>((value * 255 + max / 2) / max);
}
}  // namespace

TColor ReadPixelColor(const uint8_t* row, int x, TPixelFormat format,
                      const std::vector<TPaletteEntry>& colors) {
  switch (format) {
    case pf1bit:
    case pf4bit:
    case pf8bit: {
      uint32_t i = ReadPixelIndex(row, x, PixelFormatBits(format));
      if (i >= colors.size()) return clBlack;
      return RGBColor(colors[i].peRed, colors[i].peGreen, colors[i].peBlue);
    }
    case pf15bit: {
      uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
      return RGBColor(Widen((v >> 10) & 31, 5), Widen((v >> 5) & 31, 5), Widen(v & 31, 5));
    }
    case pf16bit: {
      uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
      return RGBColor(Widen((v >> 11) & 31, 5), Widen((v >> 5) & 63, 6), Widen(v & 31, 5));
    }
    case pf24bit: {
      const uint8_t* p = row + 3 * x;
      return RGBColor(p[2], p[1], p[0]);
    }
    case pfDevice:
    case pf32bit: {
      const uint8_t* p = row + 4 * x;
      return RGBColor(p[2], p[1], p[0]);
    }
    case pfCustom: break;
  }
  return clBlack;
}

uint32_t NearestColorIndex(const std::vector<TPaletteEntry>& colors, TColor color) {
  uint32_t best = 0;
  int bestDistance = INT32_MAX;
  for (size_t i = 0; i < colors.size(); ++i) {
    int dr = colors[i].peRed - RedOf(color);
    int dg = colors[i].peGreen - GreenOf(color);
    int db = colors[i].peBlue - BlueOf(color);
    int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<uint32_t>(i);
      if (d == 0) break;
    }
  }
  return best;
}

void WritePixelColor(uint8_t* row, int x, TPixelFormat format, TColor color,
                     const std::vector<TPaletteEntry>& colors) {
  uint32_t r = RedOf(color), g = GreenOf(color), b = BlueOf(color);
  switch (format) {
    case pf1bit:
    case pf4bit:
    case pf8bit:
      WritePixelIndex(row, x, PixelFormatBits(format), NearestColorIndex(colors, color));
      break;
    case pf15bit: {
      uint32_t v = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
      row[2 * x] = static_cast<uint8_t>(v);
      row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
      break;
    }
    case pf16bit: {
      uint32_t v = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
      row[2 * x] = static_cast<uint8_t>(v);
      row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
      break;
    }
    case pf24bit: {
      uint8_t* p = row + 3 * x;
      p[0] = static_cast<uint8_t>(b);
      p[1] = static_cast<uint8_t>(g);
      p[2] = static_cast<uint8_t>(r);
      break;
    }
    case pfDevice:
    case pf32bit: {
      uint8_t* p = row + 4 * x;
      p[0] = static_cast<uint8_t>(b);
      p[1] = static_cast<uint8_t>(g);
      p[2] = static_cast<uint8_t>(r);
      p[3] = 0;
      break;
    }
    case pfCustom: break;
  }
}

// --- TBitmap -------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() { FreePalette(); }

TGraphicClass TBitmap::StaticClass() { return GraphicClassOf<TBitmap, TGraphic>("TBitmap"); }

void TBitmap::FreePalette() {
  DeletePalette(palette_);
  palette_ = nullptr;
}

void TBitmap::Reallocate(int width, int height, TPixelFormat format,
                         std::vector<TPaletteEntry> colors) {
  if (width < 0 || height < 0) throw EInvalidGraphic("Invalid image size");
  const int bits = PixelFormatBits(format);
  const int64_t stride = BytesPerScanLine(width, bits);
  const uint64_t bytes =
      CappedMul<EInvalidGraphic>(static_cast<uint64_t>(stride), static_cast<uint64_t>(height),
                                 kMaxImageBytes, "Image is too large");
  std::unique_ptr<TBitmapStore> store;
  if (width > 0 && height > 0) store = NewBitmapStore(width, height, format, bytes, colors);

  if (store && store_) {
    // Rows are matched from the top of the picture; columns from the left.
    const int oldBits = PixelFormatBits(format_);
    const int64_t oldStride = RowStride();
    const int w = std::min(width, width_);
    const int h = std::min(height, height_);
    const bool sameLayout = format == format_ || (oldBits == 32 && bits == 32);
    const bool keepIndices = IsIndexed(format) && IsIndexed(format_) && bits >= oldBits;
    for (int y = 0; y < h; ++y) {
      const uint8_t* src = store_->bits + (height_ - 1 - y) * oldStride;
      uint8_t* dst = store->bits + (height - 1 - y) * stride;
      if (sameLayout && bits >= 8) {
        std::memcpy(dst, src, static_cast<size_t>(w) * static_cast<size_t>(bits / 8));
      } else if (sameLayout || keepIndices) {
        for (int x = 0; x < w; ++x) WritePixelIndex(dst, x, bits, ReadPixelIndex(src, x, oldBits));
      } else {
        for (int x = 0; x < w; ++x)
          WritePixelColor(dst, x, format, ReadPixelColor(src, x, format_, colors_), colors);
      }
    }
  }

  const bool colorsChanged = IsIndexed(format) && (colors != colors_ || format != format_);
  store_ = std::move(store);
  width_ = width;
  height_ = height;
  format_ = format;
  if (IsIndexed(format)) {
    colors_ = std::move(colors);
    if (colorsChanged) FreePalette();
  } else {
    colors_.clear();
  }
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  Reallocate(width, height, format_, colors_);
  Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == pfCustom) throw EInvalidGraphicOperation("Invalid pixel format");
  if (format == format_) return;
  std::vector<TPaletteEntry> colors;
  if (IsIndexed(format)) {
    const size_t room = size_t{1} << PixelFormatBits(format);
    if (IsIndexed(format_) && PixelFormatBits(format) >= PixelFormatBits(format_)) {
      colors = colors_;
    } else if (!IsIndexed(format_) && palette_ != nullptr) {
      colors = PaletteEntries(palette_);
      if (colors.size() > room) colors.resize(room);
    } else {
      colors = DefaultColors(format);
    }
    if (!IsIndexed(format_)) FreePalette();
  }
  Reallocate(width_, height_, format, std::move(colors));
  Changed(this);
}

void TBitmap::SetHandleType(TBitmapHandleType type) {
  if (type == bmDDB)
    SetPixelFormat(pfDevice);
  else if (format_ == pfDevice)
    SetPixelFormat(pf32bit);
}

void* TBitmap::ScanLine(int row) {
  if (row < 0 || row >= height_ || !store_)
    throw EInvalidGraphicOperation("Scan line index out of range");
  return store_->bits + static_cast<int64_t>(height_ - 1 - row) * RowStride();
}

const void* TBitmap::ScanLine(int row) const { return const_cast<TBitmap*>(this)->ScanLine(row); }

HPALETTE TBitmap::Palette() const {
  if (palette_ == nullptr && IsIndexed(format_) && !colors_.empty())
    palette_ = CreatePaletteFromEntries(colors_);
  return palette_;
}

void TBitmap::SetPalette(HPALETTE palette) {
  if (palette == palette_) return;
  if (IsIndexed(format_) && palette != nullptr) {
    std::vector<TPaletteEntry> colors = PaletteEntries(palette);
    const size_t room = size_t{1} << PixelFormatBits(format_);
    const bool cut = colors.size() > room;
    if (cut) colors.resize(room);
    colors_ = std::move(colors);
    if (store_) SetStoreColors(*store_, colors_);
    // The handle must show the colour table; a cut one is made anew on demand.
    if (cut) {
      DeletePalette(palette);
      palette = nullptr;
    }
  }
  FreePalette();
  palette_ = palette;
  Changed(this);
}

TColor TBitmap::TransparentColor() const {
  if (transparentColor_ != clDefault) return transparentColor_;
  if (Empty()) return clWhite;
  return ReadPixelColor(static_cast<const uint8_t*>(ScanLine(height_ - 1)), 0, format_, colors_);
}

void TBitmap::SetTransparentColor(TColor color) {
  if (color == transparentColor_) return;
  transparentColor_ = color;
  Changed(this);
}

void TBitmap::Fill(TColor color) {
  for (int y = 0; y < height_; ++y) {
    auto* row = static_cast<uint8_t*>(ScanLine(y));
    for (int x = 0; x < width_; ++x) WritePixelColor(row, x, format_, color, colors_);
  }
  Changed(this);
}

void TBitmap::ReleaseImage() {
  store_.reset();
  width_ = 0;
  height_ = 0;
  colors_ = DefaultColors(format_);
  FreePalette();
  Changed(this);
}

void TBitmap::Assign(TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    ReleaseImage();
    return;
  }
  auto* other = dynamic_cast<TBitmap*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  std::unique_ptr<TBitmapStore> store;
  const uint64_t bytes = static_cast<uint64_t>(other->RowStride()) * static_cast<uint64_t>(other->height_);
  if (other->store_) {
    store = NewBitmapStore(other->width_, other->height_, other->format_, bytes, other->colors_);
    std::memcpy(store->bits, other->store_->bits, bytes);
  }
  HPALETTE palette = nullptr;
  if (!IsIndexed(other->format_) && other->palette_ != nullptr)
    palette = CreatePaletteFromEntries(PaletteEntries(other->palette_));
  store_ = std::move(store);
  width_ = other->width_;
  height_ = other->height_;
  format_ = other->format_;
  colors_ = other->colors_;
  FreePalette();
  palette_ = palette;
  transparentColor_ = other->transparentColor_;
  SetTransparent(other->Transparent());
  Changed(this);
}

// The bitmap: a device-independent bitmap in the system's layout (rows
// bottom-up in memory, each padded to 4 bytes), held in a DIB section on
// Windows and in plain memory natively. Picture readers derive from it and
// write rows through ScanLine; it reads and writes BMP files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/graphics.h"
#include "classlib/palette.h"

#ifdef _WIN32
typedef struct HBITMAP__* HBITMAP;
typedef struct HINSTANCE__* HINSTANCE;
#endif

// pfDevice is the display's format (32 bits per pixel here); pfCustom is a
// layout no bitmap can take (readers test for it; setting it raises).
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TBitmapHandleType { bmDIB, bmDDB };

// Bits of one pixel in the format's memory layout (0 for pfCustom).
int PixelFormatBits(TPixelFormat format);
// Bytes of one row of width pixels at bitsPerPixel, padded to 4 bytes.
int64_t BytesPerScanLine(int64_t width, int bitsPerPixel);

// The pixel memory of one image (a DIB section on Windows).
struct TBitmapStore;

class TBitmap : public TGraphic {
public:
  // No image in memory takes more than this: the whole picture lives in one
  // block of a 32-bit address space.
  static constexpr int64_t kMaxImageBytes = 256 * 1024 * 1024;

  TBitmap();
  ~TBitmap() override;

  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  // Copies another bitmap (pixels, format, colours, transparency); other
  // sources are asked to AssignTo a bitmap.
  void Assign(TPersistent* source) override;

  bool Empty() const override { return width_ == 0 || height_ == 0; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetWidth(int value) override { SetSize(value, height_); }
  void SetHeight(int value) override { SetSize(width_, value); }
  // Keeps the pixels that lie in both sizes; new pixels are 0. A negative
  // size, or an image over kMaxImageBytes, raises EInvalidGraphic.
  void SetSize(int width, int height);

  TPixelFormat PixelFormat() const { return format_; }
  // Converts the pixels to the new format: indices are kept when the
  // palette grows, colours are matched to the nearest entry otherwise.
  void SetPixelFormat(TPixelFormat format);
  TBitmapHandleType HandleType() const { return format_ == pfDevice ? bmDDB : bmDIB; }
  // bmDIB turns a device bitmap into pf32bit, bmDDB any bitmap into pfDevice.
  void SetHandleType(TBitmapHandleType type);

  // Row `row` of the picture, counted from the top (row 0 is the last row in
  // memory); raises EInvalidGraphicOperation outside 0..Height-1.
  void* ScanLine(int row);
  const void* ScanLine(int row) const;
  int64_t RowStride() const { return BytesPerScanLine(width_, PixelFormatBits(format_)); }

  // The logical palette: for 1-, 4- and 8-bit bitmaps their colour table;
  // for others the palette last given, if any. The bitmap owns the handle.
  HPALETTE Palette() const;
  // Takes the handle over; for 1-, 4- and 8-bit bitmaps its entries become
  // the colour table (at most 2^bits of them).
  void SetPalette(HPALETTE palette);
  // The colour table of an indexed bitmap (empty otherwise).
  const std::vector<TPaletteEntry>& Colors() const { return colors_; }

  // The colour drawn transparent; by default the colour of the bottom-left
  // pixel.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor color);

  // Fills the whole picture with color (indexed: the nearest entry).
  void Fill(TColor color);
  // Drops the image: 0 by 0, the format's default colours, no palette.
  void ReleaseImage();

  // A BMP file: 1, 4, 8, 16, 24 or 32 bits, uncompressed, RLE4, RLE8 or bit
  // fields, bottom-up or top-down. Damaged or unsupported data raises
  // EInvalidGraphic and leaves the bitmap as it was.
  void LoadFromStream(TStream& stream) override;
  // An uncompressed BMP file of the bitmap's own format.
  void SaveToStream(TStream& stream) override;

#ifdef _WIN32
  // The bitmap resource (RT_BITMAP) called name in module (nil: the
  // program). A missing resource raises EInvalidGraphic "Bitmap resource
  // 'name' not found"; damaged data fails as LoadFromStream does.
  void LoadFromResourceName(HINSTANCE module, const std::string& name);
  // The DIB section (null while the bitmap is empty); the bitmap owns it.
  HBITMAP Handle() const;
  void Draw(HDC dc, const TRect& rect) override;
#endif

private:
  void Reallocate(int width, int height, TPixelFormat format, std::vector<TPaletteEntry> colors);
  void FreePalette();
  // Moves other's image (pixels, format, colours, palette) into this bitmap.
  void TakeImage(TBitmap& other);

  int width_ = 0;
  int height_ = 0;
  TPixelFormat format_ = pfDevice;
  std::vector<TPaletteEntry> colors_;
  std::unique_ptr<TBitmapStore> store_;
  mutable HPALETTE palette_ = nullptr;
  TColor transparentColor_ = clDefault;
};

// The colour table a new bitmap of this format starts with: black and white;
// the 16 VGA colours; the 16 VGA colours, a 6x6x6 colour cube and a grey ramp.
std::vector<TPaletteEntry> DefaultColors(TPixelFormat format);

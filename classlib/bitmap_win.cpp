#include <windows.h>

#include <algorithm>

#include "classlib/bitmapstore.h"
#include "classlib/streams.h"

namespace {

// A BITMAPINFO with room for a full colour table or the three bit-field masks.
struct DibInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

void FillColors(RGBQUAD* out, const std::vector<TPaletteEntry>& colors) {
  for (size_t i = 0; i < colors.size() && i < 256; ++i)
    out[i] = RGBQUAD{colors[i].peBlue, colors[i].peGreen, colors[i].peRed, 0};
}

DibInfo MakeDibInfo(int width, int height, TPixelFormat format,
                    const std::vector<TPaletteEntry>& colors) {
  DibInfo info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;  // positive: bottom-up rows
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(PixelFormatBits(format));
  info.header.biCompression = BI_RGB;
  if (format == pf16bit) {
    info.header.biCompression = BI_BITFIELDS;
    auto* masks = reinterpret_cast<DWORD*>(info.colors);
    masks[0] = 0xF800;
    masks[1] = 0x07E0;
    masks[2] = 0x001F;
  } else if (IsIndexed(format)) {
    info.header.biClrUsed = static_cast<DWORD>(std::min<size_t>(colors.size(), 256));
    FillColors(info.colors, colors);
  }
  return info;
}

// A memory DC with the bitmap selected, released on scope exit.
class SelectedBitmap {
public:
  explicit SelectedBitmap(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)) {
    if (dc_ != nullptr) old_ = SelectObject(dc_, bitmap);
  }
  ~SelectedBitmap() {
    if (dc_ == nullptr) return;
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  SelectedBitmap(const SelectedBitmap&) = delete;
  SelectedBitmap& operator=(const SelectedBitmap&) = delete;
  HDC dc() const { return dc_; }

private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

TBitmapStore::~TBitmapStore() {
  if (section != nullptr) DeleteObject(section);
}

std::unique_ptr<TBitmapStore> NewBitmapStore(int width, int height, TPixelFormat format,
                                             size_t /*bytes*/,
                                             const std::vector<TPaletteEntry>& colors) {
  DibInfo info = MakeDibInfo(width, height, format, colors);
  auto store = std::make_unique<TBitmapStore>();
  void* bits = nullptr;
  store->section = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                    DIB_RGB_COLORS, &bits, nullptr, 0);
  if (store->section == nullptr || bits == nullptr) throw EOutOfResources("Out of system resources");
  store->bits = static_cast<uint8_t*>(bits);
  return store;
}

void SetStoreColors(TBitmapStore& store, const std::vector<TPaletteEntry>& colors) {
  if (colors.empty()) return;
  RGBQUAD table[256];
  FillColors(table, colors);
  SelectedBitmap selected(store.section);
  if (selected.dc() != nullptr)
    SetDIBColorTable(selected.dc(), 0, static_cast<UINT>(std::min<size_t>(colors.size(), 256)), table);
}

HBITMAP TBitmap::Handle() const { return store_ ? store_->section : nullptr; }

void TBitmap::Draw(HDC dc, const TRect& rect) {
  if (Empty()) return;
  const bool shrinking = rect.Width() < width_ || rect.Height() < height_;
  const int oldMode = SetStretchBltMode(dc, shrinking ? HALFTONE : COLORONCOLOR);
  if (shrinking) SetBrushOrgEx(dc, 0, 0, nullptr);
  if (Transparent()) {
    SelectedBitmap source(store_->section);
    const TColor c = TransparentColor() & 0xFFFFFF;
    GdiTransparentBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), source.dc(), 0, 0,
                      width_, height_, static_cast<UINT>(c));
  } else {
    DibInfo info = MakeDibInfo(width_, height_, format_, colors_);
    StretchDIBits(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), 0, 0, width_, height_,
                  store_->bits, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
  }
  if (oldMode != 0) SetStretchBltMode(dc, oldMode);
}

namespace {

// Where the pixels of a packed DIB (info header, colour table, pixels, as a
// bitmap resource holds it) start; 0 when the header is cut short.
uint32_t PackedDibPixelOffset(const uint8_t* dib, uint32_t size) {
  auto le16 = [&](uint32_t at) { return static_cast<uint32_t>(dib[at] | dib[at + 1] << 8); };
  auto le32 = [&](uint32_t at) { return le16(at) | le16(at + 2) << 16; };
  if (size < 4) return 0;
  const uint32_t headerSize = le32(0);
  if (headerSize == sizeof(BITMAPCOREHEADER)) {
    if (size < headerSize) return 0;
    const uint32_t bits = le16(10);
    const uint64_t colors = bits <= 8 ? (1u << bits) : 0;
    const uint64_t offset = headerSize + colors * sizeof(RGBTRIPLE);
    return offset <= size ? static_cast<uint32_t>(offset) : 0;
  }
  if (headerSize < sizeof(BITMAPINFOHEADER) || size < headerSize) return 0;
  const uint32_t bits = le16(14);
  const uint32_t compression = le32(16);
  const uint32_t used = le32(32);
  const uint64_t colors = used != 0 ? used : (bits <= 8 ? (1u << bits) : 0);
  const uint64_t masks = (compression == BI_BITFIELDS && headerSize == sizeof(BITMAPINFOHEADER)) ? 12 : 0;
  const uint64_t offset = headerSize + masks + colors * sizeof(RGBQUAD);
  return offset <= size ? static_cast<uint32_t>(offset) : 0;
}

}  // namespace

void TBitmap::LoadFromResourceName(HINSTANCE module, const std::string& name) {
  if (module == nullptr) module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
  const auto* dib = loaded != nullptr ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (dib == nullptr) throw EInvalidGraphic("Bitmap resource '" + name + "' not found");
  const uint32_t size = SizeofResource(module, resource);
  const uint32_t pixels = PackedDibPixelOffset(dib, size);
  if (pixels == 0) throw EInvalidGraphic("Bitmap resource '" + name + "' is damaged");
  // A resource is a BMP file without its file header: put one in front.
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfSize = static_cast<DWORD>(sizeof file + size);
  file.bfOffBits = static_cast<DWORD>(sizeof file + pixels);
  TMemoryStream stream;
  stream.WriteBuffer(&file, static_cast<int32_t>(sizeof file));
  stream.WriteBuffer(dib, static_cast<int32_t>(size));
  stream.SetPosition(0);
  LoadFromStream(stream);
}

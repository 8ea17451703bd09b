#include <windows.h>

#include <cstring>
#include <vector>

#include "classlib/icon.h"

namespace {

[[noreturn]] void NoIcon() { throw EInvalidGraphic("Icon image is not valid"); }

void PutLe16(std::string& s, uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

void PutLe32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

std::string ResourceBytes(HINSTANCE instance, HRSRC resource) {
  if (resource == nullptr) return std::string();
  HGLOBAL loaded = LoadResource(instance, resource);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::string();
  return std::string(static_cast<const char*>(bytes), SizeofResource(instance, resource));
}

// The bottom-up rows of a bitmap in the given depth (32 or 1), or false.
bool BitmapRows(HDC dc, HBITMAP bitmap, int width, int height, WORD bits, std::string& rows) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = bits;
  info.header.biCompression = BI_RGB;
  const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
  rows.assign(stride * static_cast<size_t>(height), '\0');
  return GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), rows.data(),
                   reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
}

// An ICO file of one 32-bit image with its AND mask, made from an icon handle.
std::string FileFromHandle(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) NoIcon();
  struct Bitmaps {
    ~Bitmaps() {
      if (color != nullptr) DeleteObject(color);
      if (mask != nullptr) DeleteObject(mask);
    }
    HBITMAP color, mask;
  } bitmaps{info.hbmColor, info.hbmMask};
  BITMAP mask{};
  if (bitmaps.mask == nullptr || GetObjectA(bitmaps.mask, sizeof mask, &mask) == 0) NoIcon();
  // A monochrome icon's mask holds the AND rows above the XOR rows.
  const bool monochrome = bitmaps.color == nullptr;
  const int width = mask.bmWidth;
  const int height = monochrome ? mask.bmHeight / 2 : mask.bmHeight;
  if (width <= 0 || height <= 0 || width > TIcon::kMaxIconSize || height > TIcon::kMaxIconSize) NoIcon();

  HDC dc = GetDC(nullptr);
  std::string pixels, andRows;
  bool ok;
  if (monochrome) {
    std::string both;
    ok = BitmapRows(dc, bitmaps.mask, width, height * 2, 1, both);
    if (ok) {
      // Bottom-up: the XOR rows come first in the buffer, the AND rows after.
      const size_t half = both.size() / 2;
      andRows = both.substr(half);
      const size_t stride = half / static_cast<size_t>(height);
      pixels.assign(static_cast<size_t>(width) * height * 4, '\0');
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          const auto bits = static_cast<unsigned char>(both[y * stride + x / 8]);
          const bool white = (bits >> (7 - x % 8)) & 1;
          if (white) std::memset(&pixels[(static_cast<size_t>(y) * width + x) * 4], 0xFF, 3);
        }
    }
  } else {
    ok = BitmapRows(dc, bitmaps.color, width, height, 32, pixels) &&
         BitmapRows(dc, bitmaps.mask, width, height, 1, andRows);
  }
  ReleaseDC(nullptr, dc);
  if (!ok) NoIcon();

  const auto imageSize = static_cast<uint32_t>(sizeof(BITMAPINFOHEADER) + pixels.size() + andRows.size());
  std::string file;
  PutLe16(file, 0);
  PutLe16(file, 1);
  PutLe16(file, 1);
  file += static_cast<char>(width >= 256 ? 0 : width);
  file += static_cast<char>(height >= 256 ? 0 : height);
  file += '\0';  // colour count
  file += '\0';  // reserved
  PutLe16(file, 1);
  PutLe16(file, 32);
  PutLe32(file, imageSize);
  PutLe32(file, 22);
  PutLe32(file, sizeof(BITMAPINFOHEADER));
  PutLe32(file, static_cast<uint32_t>(width));
  PutLe32(file, static_cast<uint32_t>(height * 2));
  PutLe16(file, 1);
  PutLe16(file, 32);
  PutLe32(file, BI_RGB);
  PutLe32(file, static_cast<uint32_t>(pixels.size() + andRows.size()));
  for (int i = 0; i < 4; ++i) PutLe32(file, 0);
  file += pixels;
  file += andRows;
  return file;
}

}  // namespace

TIcon::~TIcon() {
  if (handle_ != nullptr) DestroyIcon(handle_);
}

void TIcon::Adopt(std::string data, const Image& image) {
  HICON handle = nullptr;
  if (!data.empty()) {
    // The version number the system asks of icon resources.
    constexpr DWORD kIconVersion = 0x00030000;
    handle = CreateIconFromResourceEx(
        reinterpret_cast<BYTE*>(data.data()) + image.offset, static_cast<DWORD>(image.size), TRUE,
        kIconVersion, image.width, image.height, LR_DEFAULTCOLOR);
    if (handle == nullptr) throw EInvalidGraphic("Icon image is not valid");
  }
  if (handle_ != nullptr) DestroyIcon(handle_);
  handle_ = handle;
  data_ = std::move(data);
  width_ = image.width;
  height_ = image.height;
}

void TIcon::Draw(HDC dc, const TRect& rect) {
  if (handle_ == nullptr) return;
  DrawIconEx(dc, rect.Left, rect.Top, handle_, rect.Width(), rect.Height(), 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromResourceName(HINSTANCE instance, const char* name) {
  if (instance == nullptr) {
    // A system icon is shared: it is copied, never destroyed.
    HICON shared = LoadIconA(nullptr, name);
    if (shared == nullptr) NoIcon();
    AssignHandle(shared);
    return;
  }
  const std::string group = ResourceBytes(instance, FindResourceA(instance, name, RT_GROUP_ICON));
  if (group.empty()) NoIcon();
  AdoptFile(FileFromResourceGroup(group, [instance](uint16_t id) {
    return ResourceBytes(instance, FindResourceA(instance, MAKEINTRESOURCEA(id), RT_ICON));
  }));
}

void TIcon::AssignHandle(HICON icon) {
  if (icon == nullptr) NoIcon();
  AdoptFile(FileFromHandle(icon));
}

// Saves what the screen shows of a window as a PNG file, for a person to
// look at (the picture goes to the build folder, never the repository).
#pragma once

#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace screenshot {

inline void PutBig32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

inline void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBig32(out, static_cast<uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  out += body;
  PutBig32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

// What the screen shows within r (screen co-ordinates); true when the file
// was written.
inline bool SaveScreenPng(const RECT& r, const std::string& path) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  std::string raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back('\0');  // no filter
    const auto* row = static_cast<const unsigned char*>(bits) + stride * static_cast<size_t>(y);
    for (int x = 0; x < w; ++x) {
      raw.push_back(static_cast<char>(row[3 * x + 2]));
      raw.push_back(static_cast<char>(row[3 * x + 1]));
      raw.push_back(static_cast<char>(row[3 * x]));
    }
  }
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                static_cast<uLong>(raw.size()), 6) != Z_OK)
    return false;
  packed.resize(packedSize);
  std::string header;
  PutBig32(header, static_cast<uint32_t>(w));
  PutBig32(header, static_cast<uint32_t>(h));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
  std::string png("\x89PNG\r\n\x1a\n", 8);
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", std::string());
  std::ofstream out(path, std::ios::binary);
  out.write(png.data(), static_cast<std::streamsize>(png.size()));
  return out.good();
}

// True when the file was written.
inline bool SaveWindowPng(HWND window, const std::string& path) {
  RECT r{};
  GetWindowRect(window, &r);
  return SaveScreenPng(r, path);
}

}  // namespace screenshot

#include <windows.h>

#include "classlib/icon.h"

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

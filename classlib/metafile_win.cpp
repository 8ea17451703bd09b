#include <windows.h>

#include "classlib/metafile.h"

namespace {
// The placeable header that precedes a WMF file's own header.
constexpr size_t kPlaceableSize = 22;
}  // namespace

TMetafile::~TMetafile() {
  if (handle_ != nullptr) DeleteEnhMetaFile(handle_);
}

void TMetafile::Adopt(std::string data, const Header& header) {
  HENHMETAFILE handle = nullptr;
  if (!data.empty()) {
    const auto* bits = reinterpret_cast<const BYTE*>(data.data());
    if (header.enhanced) {
      handle = SetEnhMetaFileBits(static_cast<UINT>(data.size()), bits);
    } else {
      METAFILEPICT picture{MM_ANISOTROPIC, header.widthMM100, header.heightMM100, nullptr};
      handle = SetWinMetaFileBits(static_cast<UINT>(data.size() - kPlaceableSize),
                                  bits + kPlaceableSize, nullptr, &picture);
    }
    if (handle == nullptr) throw EInvalidGraphic("Metafile is not valid");
  }
  if (handle_ != nullptr) DeleteEnhMetaFile(handle_);
  handle_ = handle;
  data_ = std::move(data);
  enhanced_ = header.enhanced;
  width_ = header.width;
  height_ = header.height;
}

void TMetafile::Draw(HDC dc, const TRect& rect) {
  if (handle_ == nullptr) return;
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  PlayEnhMetaFile(dc, handle_, &r);
}

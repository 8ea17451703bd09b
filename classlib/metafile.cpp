// Metafile headers.
//
// Format notes: an EMF file starts with its header record (type 1, size at
// 4, the picture frame in hundredths of a millimetre at 24, " EMF" at 40,
// file size at 48, the reference device in pixels at 72 and in millimetres
// at 80). A placeable WMF file starts with the key 0x9AC6CDD7, a bounding box
// of four 16-bit values at 6 in units of which `inch` (at 14) make an inch,
// and the metafile proper at 22 (type 1 or 2, header size 9 words).
#include "classlib/metafile.h"

#include <algorithm>

#include "classlib/bytereader.h"
#include "classlib/streams.h"

namespace {

constexpr uint32_t kEmfHeaderType = 1;
constexpr uint32_t kEmfSignature = 0x464D4520;
constexpr size_t kEmfHeaderSize = 88;
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kWmfHeaderSize = 18;
// Metafiles are drawings; a bigger file is damaged.
constexpr int64_t kMaxMetafile = 64 * 1024 * 1024;
constexpr int kScreenDpi = 96;
constexpr int kMaxSide = 32767;

[[noreturn]] void InvalidMetafile() { throw EInvalidGraphic("Metafile is not valid"); }

int Scale(int64_t value, int64_t mul, int64_t div) {
  if (div <= 0) InvalidMetafile();
  const int64_t r = value * mul / div;
  return static_cast<int>(std::clamp<int64_t>(r, 0, kMaxSide));
}

}  // namespace

TMetafile::TMetafile() = default;

TGraphicClass TMetafile::StaticClass() { return GraphicClassOf<TMetafile, TGraphic>("TMetafile"); }

TMetafile::Header TMetafile::ReadHeader(const std::string& data) {
  const auto* p = reinterpret_cast<const uint8_t*>(data.data());
  Header h;
  if (data.size() >= kEmfHeaderSize && ReadLe32(p) == kEmfHeaderType &&
      ReadLe32(p, 40) == kEmfSignature) {
    const uint32_t bytes = ReadLe32(p, 48);
    if (ReadLe32(p, 4) < kEmfHeaderSize || bytes < kEmfHeaderSize || bytes > data.size())
      InvalidMetafile();
    const int64_t frameW = static_cast<int64_t>(static_cast<int32_t>(ReadLe32(p, 32))) -
                           static_cast<int32_t>(ReadLe32(p, 24));
    const int64_t frameH = static_cast<int64_t>(static_cast<int32_t>(ReadLe32(p, 36))) -
                           static_cast<int32_t>(ReadLe32(p, 28));
    const auto devW = static_cast<int32_t>(ReadLe32(p, 72));
    const auto devH = static_cast<int32_t>(ReadLe32(p, 76));
    const auto mmW = static_cast<int32_t>(ReadLe32(p, 80));
    const auto mmH = static_cast<int32_t>(ReadLe32(p, 84));
    h.enhanced = true;
    h.widthMM100 = static_cast<int>(std::clamp<int64_t>(frameW, 0, INT32_MAX));
    h.heightMM100 = static_cast<int>(std::clamp<int64_t>(frameH, 0, INT32_MAX));
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0) {
      h.width = Scale(frameW, devW, int64_t{mmW} * 100);
      h.height = Scale(frameH, devH, int64_t{mmH} * 100);
    } else {
      h.width = Scale(frameW, kScreenDpi, 2540);
      h.height = Scale(frameH, kScreenDpi, 2540);
    }
    return h;
  }
  if (data.size() >= kPlaceableSize + kWmfHeaderSize && ReadLe32(p) == kPlaceableKey) {
    const uint16_t type = ReadLe16(p, kPlaceableSize);
    const uint16_t headerWords = ReadLe16(p, kPlaceableSize + 2);
    const uint16_t inch = ReadLe16(p, 14);
    if ((type != 1 && type != 2) || headerWords != kWmfHeaderSize / 2 || inch == 0)
      InvalidMetafile();
    const int64_t w = static_cast<int64_t>(static_cast<int16_t>(ReadLe16(p, 10))) -
                      static_cast<int16_t>(ReadLe16(p, 6));
    const int64_t ht = static_cast<int64_t>(static_cast<int16_t>(ReadLe16(p, 12))) -
                       static_cast<int16_t>(ReadLe16(p, 8));
    h.width = Scale(w, kScreenDpi, inch);
    h.height = Scale(ht, kScreenDpi, inch);
    h.widthMM100 = Scale(w, 2540, inch);
    h.heightMM100 = Scale(ht, 2540, inch);
    return h;
  }
  InvalidMetafile();
}

void TMetafile::SetWidth(int value) {
  if (value < 0) throw EInvalidGraphicOperation("Invalid image size");
  width_ = value;
  Changed(this);
}

void TMetafile::SetHeight(int value) {
  if (value < 0) throw EInvalidGraphicOperation("Invalid image size");
  height_ = value;
  Changed(this);
}

void TMetafile::LoadFromStream(TStream& stream) {
  const int64_t size = stream.Size() - stream.Position();
  if (size <= 0 || size > kMaxMetafile) InvalidMetafile();
  std::string data(static_cast<size_t>(size), '\0');
  stream.ReadBuffer(data.data(), static_cast<int32_t>(size));
  const Header header = ReadHeader(data);
  Adopt(std::move(data), header);
  Changed(this);
}

void TMetafile::SaveToStream(TStream& stream) {
  if (!data_.empty()) stream.WriteBuffer(data_.data(), static_cast<int32_t>(data_.size()));
}

void TMetafile::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TMetafile*>(source);
  if (other == nullptr) {
    TGraphic::Assign(source);
    return;
  }
  if (other == this) return;
  if (other->Empty()) {
    Adopt({}, Header{});
  } else {
    std::string data = other->data_;
    Adopt(std::move(data), ReadHeader(other->data_));
  }
  width_ = other->width_;
  height_ = other->height_;
  Changed(this);
}

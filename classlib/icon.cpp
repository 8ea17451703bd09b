// ICO files.
//
// Format notes: a 6-byte header (0, type 1 for icons, image count), then 16
// bytes per image (width and height, 0 meaning 256; colour count; reserved;
// planes; bits per pixel; byte count; offset). Each image is either a PNG
// file or a DIB without file header whose height counts the colour bitmap
// and the 1-bit AND mask below it, each row padded to 4 bytes.
#include "classlib/icon.h"

#include <cstring>
#include <vector>

#include "classlib/bitmap.h"
#include "classlib/bytereader.h"
#include "classlib/checkedsize.h"
#include "classlib/streams.h"

namespace {

constexpr size_t kDirHeader = 6;
constexpr size_t kDirEntry = 16;
// A resource group's entry: a file's, with a 2-byte id for the 4-byte offset.
constexpr size_t kGroupEntry = 14;
// ICO files hold small pictures; a bigger file is damaged.
constexpr int64_t kMaxIconFile = 64 * 1024 * 1024;
const char kPngSignature[] = "\x89PNG\r\n\x1A\n";

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic("Icon image is not valid"); }

void WriteLe32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
}

// Width and height of a usable image, or false.
bool ImageSize(const uint8_t* p, size_t size, int& width, int& height) {
  if (size >= 24 && std::string_view(reinterpret_cast<const char*>(p), 8) ==
                        std::string_view(kPngSignature, 8)) {
    if (ReadBe32(p, 8) != 13 || std::string_view(reinterpret_cast<const char*>(p) + 12, 4) != "IHDR")
      return false;
    const uint32_t w = ReadBe32(p, 16), h = ReadBe32(p, 20);
    if (w == 0 || h == 0 || w > TIcon::kMaxIconSize || h > TIcon::kMaxIconSize) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
  }
  if (size < 40) return false;
  const uint32_t headerSize = ReadLe32(p);
  const auto w = static_cast<int32_t>(ReadLe32(p, 4));
  const auto h2 = static_cast<int32_t>(ReadLe32(p, 8));
  const uint16_t bits = ReadLe16(p, 14);
  const uint32_t compression = ReadLe32(p, 16);
  uint32_t colors = ReadLe32(p, 32);
  if (headerSize < 40 || headerSize > size || compression != 0) return false;
  if (w <= 0 || h2 <= 0 || (h2 & 1) != 0 || w > TIcon::kMaxIconSize || h2 / 2 > TIcon::kMaxIconSize)
    return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (bits <= 8) {
    if (colors == 0 || colors > (1u << bits)) colors = 1u << bits;
  } else {
    colors = 0;
  }
  const int h = h2 / 2;
  // Sizes are at most 1024, so nothing here overflows 64 bits.
  const uint64_t need = uint64_t{headerSize} + uint64_t{colors} * 4 +
                        static_cast<uint64_t>(BytesPerScanLine(w, bits)) * h +
                        static_cast<uint64_t>(BytesPerScanLine(w, 1)) * h;
  if (need > size) return false;
  width = w;
  height = h;
  return true;
}

}  // namespace

TIcon::TIcon() = default;

TGraphicClass TIcon::StaticClass() { return GraphicClassOf<TIcon, TGraphic>("TIcon"); }

void TIcon::SetWidth(int /*value*/) {
  throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(int /*value*/) {
  throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

TIcon::Image TIcon::ChooseImage(const std::string& data) {
  const auto* p = reinterpret_cast<const uint8_t*>(data.data());
  if (data.size() < kDirHeader || ReadLe16(p) != 0 || ReadLe16(p, 2) != 1) InvalidIcon();
  const size_t count = ReadLe16(p, 4);
  if (count == 0 || count > (data.size() - kDirHeader) / kDirEntry) InvalidIcon();
  Image best;
  int bestBits = -1;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = p + kDirHeader + i * kDirEntry;
    const uint32_t size = ReadLe32(e, 8);
    const uint32_t offset = ReadLe32(e, 12);
    if (offset > data.size() || size > data.size() - offset) continue;
    Image image{offset, size, 0, 0};
    if (!ImageSize(p + offset, size, image.width, image.height)) continue;
    const int bits = ReadLe16(e, 6);
    const bool larger = image.width * image.height > best.width * best.height;
    const bool deeper = image.width * image.height == best.width * best.height && bits > bestBits;
    if (larger || deeper) {
      best = image;
      bestBits = bits;
    }
  }
  if (best.size == 0) InvalidIcon();
  return best;
}

void TIcon::AdoptFile(std::string data) {
  const Image image = ChooseImage(data);
  Adopt(std::move(data), image);
  Changed(this);
}

void TIcon::LoadFromStream(TStream& stream) {
  const int64_t size = stream.Size() - stream.Position();
  if (size <= 0 || size > kMaxIconFile) InvalidIcon();
  std::string data(static_cast<size_t>(size), '\0');
  stream.ReadBuffer(data.data(), static_cast<int32_t>(size));
  AdoptFile(std::move(data));
}

std::string TIcon::FileFromResourceGroup(std::string_view group,
                                         const std::function<std::string(uint16_t id)>& imageOf) {
  const auto* p = reinterpret_cast<const uint8_t*>(group.data());
  if (group.size() < kDirHeader || ReadLe16(p) != 0 || ReadLe16(p, 2) != 1) InvalidIcon();
  const size_t count = ReadLe16(p, 4);
  if (count == 0 || count > (group.size() - kDirHeader) / kGroupEntry) InvalidIcon();
  struct Entry {
    const uint8_t* fields;
    std::string bytes;
  };
  std::vector<Entry> entries;
  int64_t total = static_cast<int64_t>(kDirHeader);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = p + kDirHeader + i * kGroupEntry;
    std::string bytes = imageOf(ReadLe16(e, 12));
    if (bytes.empty()) continue;
    total += static_cast<int64_t>(kDirEntry + bytes.size());
    if (total > kMaxIconFile) InvalidIcon();
    entries.push_back(Entry{e, std::move(bytes)});
  }
  if (entries.empty()) InvalidIcon();
  std::string file(kDirHeader + entries.size() * kDirEntry, '\0');
  file[2] = 1;
  file[4] = static_cast<char>(entries.size() & 0xFF);
  file[5] = static_cast<char>(entries.size() >> 8);
  size_t offset = file.size();
  for (size_t i = 0; i < entries.size(); ++i) {
    char* out = file.data() + kDirHeader + i * kDirEntry;
    // Size, colours, planes and depth as the group gives them; the byte
    // count is the image's own, whatever the group claims.
    std::memcpy(out, entries[i].fields, 8);
    WriteLe32(out + 8, static_cast<uint32_t>(entries[i].bytes.size()));
    WriteLe32(out + 12, static_cast<uint32_t>(offset));
    offset += entries[i].bytes.size();
  }
  for (const Entry& e : entries) file += e.bytes;
  return file;
}

void TIcon::SaveToStream(TStream& stream) {
  if (!data_.empty()) stream.WriteBuffer(data_.data(), static_cast<int32_t>(data_.size()));
}

void TIcon::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TIcon*>(source);
  if (other == nullptr && source != nullptr) {
    TGraphic::Assign(source);
    return;
  }
  if (other == this) return;
  if (other == nullptr || other->Empty()) {
    Adopt({}, Image{});
  } else {
    std::string data = other->data_;
    Adopt(std::move(data), ChooseImage(other->data_));
  }
  Changed(this);
}

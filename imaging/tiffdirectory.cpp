#include "imaging/tiffdirectory.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "classlib/bytereader.h"
#include "classlib/streams.h"
#include "imaging/readerhelpers.h"

namespace {

enum : uint16_t {
  kByte = 1, kAscii, kShort, kLong, kRational, kSByte, kUndefined, kSShort, kSLong, kSRational,
  kFloat, kDouble,
};

// A value as a field of unsigned integers holds it: signed kinds keep their
// bits, fractions are cut, anything out of range is clamped.
uint32_t ToCardinal(double v, uint16_t type) {
  if (type == kSByte || type == kSShort || type == kSLong)
    return static_cast<uint32_t>(static_cast<int32_t>(v));
  if (!(v > 0)) return 0;
  if (v >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<uint32_t>(v);
}

}  // namespace

uint32_t TTIFFDirectory::TypeSize(uint16_t Type) {
  switch (Type) {
    case kByte: case kAscii: case kSByte: case kUndefined: return 1;
    case kShort: case kSShort: return 2;
    case kLong: case kSLong: case kFloat: return 4;
    case kRational: case kSRational: case kDouble: return 8;
    default: return 0;
  }
}

void TTIFFDirectory::Read(TStream& Stream, int64_t Base, uint32_t Offset, bool BigEndian) {
  base_ = Base;
  bigEndian_ = BigEndian;
  entries_.clear();
  nextOffset_ = 0;
  Stream.SetPosition(Base + Offset);
  uint8_t head[2];
  ReadExact(Stream, head, 2);
  const uint32_t count = BigEndian ? ReadBe16(head) : ReadLe16(head);
  // The entries must be there before room is made for them.
  NeedBytes(Stream, uint64_t{count} * 12);
  std::vector<uint8_t> raw(size_t{count} * 12);
  ReadExact(Stream, raw.data(), raw.size());
  entries_.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* e = raw.data() + 12 * size_t{i};
    TIFDEntry& entry = entries_[i];
    entry.Tag = BigEndian ? ReadBe16(e) : ReadLe16(e);
    entry.Type = BigEndian ? ReadBe16(e, 2) : ReadLe16(e, 2);
    entry.Count = BigEndian ? ReadBe32(e, 4) : ReadLe32(e, 4);
    std::memcpy(entry.Value, e + 8, 4);
  }
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const TIFDEntry& a, const TIFDEntry& b) { return a.Tag < b.Tag; });
  uint8_t next[4];
  // A directory that ends the file without a next offset is the last one.
  if (BytesLeft(Stream) >= 4) {
    ReadExact(Stream, next, 4);
    nextOffset_ = BigEndian ? ReadBe32(next) : ReadLe32(next);
  }
}

bool TTIFFDirectory::FindTag(uint16_t Tag, size_t& Index) const {
  auto it = std::lower_bound(entries_.begin(), entries_.end(), Tag,
                             [](const TIFDEntry& e, uint16_t t) { return e.Tag < t; });
  Index = static_cast<size_t>(it - entries_.begin());
  return it != entries_.end() && it->Tag == Tag;
}

uint32_t TTIFFDirectory::GetCount(uint16_t Tag) const {
  size_t i;
  return FindTag(Tag, i) ? entries_[i].Count : 0;
}

uint32_t TTIFFDirectory::GetValue(uint16_t Tag, uint32_t Default) const {
  size_t i;
  if (!FindTag(Tag, i)) return Default;
  const TIFDEntry& e = entries_[i];
  const uint32_t size = TypeSize(e.Type);
  if (e.Count == 0 || size == 0 || uint64_t{e.Count} * size > 4) return Default;
  switch (e.Type) {
    case kByte: case kSByte: return e.Value[0];
    case kShort: case kSShort: return bigEndian_ ? ReadBe16(e.Value) : ReadLe16(e.Value);
    case kLong: case kSLong: return bigEndian_ ? ReadBe32(e.Value) : ReadLe32(e.Value);
    default: return Default;
  }
}

std::vector<uint8_t> TTIFFDirectory::RawValues(TStream& Stream, const TIFDEntry& Entry,
                                               uint32_t Count) const {
  const uint64_t bytes = uint64_t{Count} * TypeSize(Entry.Type);
  std::vector<uint8_t> raw;
  if (uint64_t{Entry.Count} * TypeSize(Entry.Type) <= 4) {
    raw.assign(Entry.Value, Entry.Value + bytes);
    return raw;
  }
  const uint32_t offset = bigEndian_ ? ReadBe32(Entry.Value) : ReadLe32(Entry.Value);
  Stream.SetPosition(base_ + offset);
  NeedBytes(Stream, bytes);
  raw.resize(static_cast<size_t>(bytes));
  ReadExact(Stream, raw.data(), bytes);
  return raw;
}

double TTIFFDirectory::NumberAt(const uint8_t* p, uint16_t Type) const {
  auto u16 = [&](size_t o) { return bigEndian_ ? ReadBe16(p, o) : ReadLe16(p, o); };
  auto u32 = [&](size_t o) { return bigEndian_ ? ReadBe32(p, o) : ReadLe32(p, o); };
  switch (Type) {
    case kByte: case kAscii: case kUndefined: return p[0];
    case kSByte: return static_cast<int8_t>(p[0]);
    case kShort: return u16(0);
    case kSShort: return static_cast<int16_t>(u16(0));
    case kLong: return u32(0);
    case kSLong: return static_cast<int32_t>(u32(0));
    case kRational: {
      const uint32_t d = u32(4);
      return d == 0 ? 0.0 : static_cast<double>(u32(0)) / d;
    }
    case kSRational: {
      const auto d = static_cast<int32_t>(u32(4));
      return d == 0 ? 0.0 : static_cast<double>(static_cast<int32_t>(u32(0))) / d;
    }
    case kFloat: {
      const uint32_t bits = u32(0);
      float f;
      std::memcpy(&f, &bits, 4);
      return f;
    }
    case kDouble: {
      const uint64_t bits = bigEndian_ ? (uint64_t{u32(0)} << 32 | u32(4)) : (uint64_t{u32(4)} << 32 | u32(0));
      double d;
      std::memcpy(&d, &bits, 8);
      return d;
    }
    default: return 0;
  }
}

TCardinalArray TTIFFDirectory::GetValueList(TStream& Stream, uint16_t Tag, uint32_t MaxCount) const {
  size_t i;
  if (!FindTag(Tag, i) || TypeSize(entries_[i].Type) == 0) return {};
  const TIFDEntry& e = entries_[i];
  const uint32_t count = std::min(e.Count, MaxCount);
  const std::vector<uint8_t> raw = RawValues(Stream, e, count);
  const uint32_t size = TypeSize(e.Type);
  TCardinalArray values(count);
  for (uint32_t k = 0; k < count; ++k) {
    values[k] = ToCardinal(NumberAt(raw.data() + size_t{k} * size, e.Type), e.Type);
  }
  return values;
}

std::vector<float> TTIFFDirectory::GetFloatList(TStream& Stream, uint16_t Tag, uint32_t MaxCount) const {
  size_t i;
  if (!FindTag(Tag, i) || TypeSize(entries_[i].Type) == 0) return {};
  const TIFDEntry& e = entries_[i];
  const uint32_t count = std::min(e.Count, MaxCount);
  const std::vector<uint8_t> raw = RawValues(Stream, e, count);
  std::vector<float> values(count);
  for (uint32_t k = 0; k < count; ++k) {
    const double v = NumberAt(raw.data() + size_t{k} * TypeSize(e.Type), e.Type);
    values[k] = std::isfinite(v) && std::fabs(v) <= 3.0e38 ? static_cast<float>(v) : 0.0f;
  }
  return values;
}

TByteArray TTIFFDirectory::GetByteList(TStream& Stream, uint16_t Tag, uint32_t MaxCount) const {
  size_t i;
  if (!FindTag(Tag, i) || TypeSize(entries_[i].Type) == 0) return {};
  const TIFDEntry& e = entries_[i];
  const uint32_t count = std::min(e.Count, MaxCount);
  const std::vector<uint8_t> raw = RawValues(Stream, e, count);
  if (TypeSize(e.Type) == 1) return raw;
  TByteArray values(count);
  for (uint32_t k = 0; k < count; ++k)
    values[k] = static_cast<uint8_t>(ToCardinal(NumberAt(raw.data() + size_t{k} * TypeSize(e.Type), e.Type), e.Type));
  return values;
}

float TTIFFDirectory::GetFloatValue(TStream& Stream, uint16_t Tag, float Default) const {
  size_t i;
  if (!FindTag(Tag, i) || entries_[i].Count != 1 || TypeSize(entries_[i].Type) == 0) return Default;
  const std::vector<uint8_t> raw = RawValues(Stream, entries_[i], 1);
  const double v = NumberAt(raw.data(), entries_[i].Type);
  return std::isfinite(v) && std::fabs(v) <= 3.0e38 ? static_cast<float>(v) : Default;
}

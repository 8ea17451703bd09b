#include "search/fileinfo.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "classlib/strutils.h"

namespace {

using Compare = int (*)(void*, void*);

const TFileInfo& Info(void* p) { return *static_cast<const TFileInfo*>(p); }

int Sign(int64_t a, int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

// Times compare by whole milliseconds, so that two times within the same
// millisecond count as equal while the order stays transitive (a tolerance
// of 1 ms would make a == b and b == c with a < c, which a sort cannot use).
int64_t Milliseconds(double days) {
  constexpr double kMsPerDay = 86400000.0;
  constexpr double kLimit = 1e15;  // far beyond any file time, well inside int64
  if (std::isnan(days)) return INT64_MIN;
  const double ms = std::round(days * kMsPerDay);
  if (ms >= kLimit) return static_cast<int64_t>(kLimit);
  if (ms <= -kLimit) return -static_cast<int64_t>(kLimit);
  return static_cast<int64_t>(ms);
}

int SizeUp(void* a, void* b) { return Sign(Info(a).Size, Info(b).Size); }
int SizeDown(void* a, void* b) { return -SizeUp(a, b); }
int DateUp(void* a, void* b) { return Sign(Milliseconds(Info(a).Modified), Milliseconds(Info(b).Modified)); }
int DateDown(void* a, void* b) { return -DateUp(a, b); }

void SortBy(TList& items, bool& ascending, Compare up, Compare down) {
  items.Sort(ascending ? up : down);
  ascending = !ascending;
}

// The text columns sort by each text's locale key, made once per record: a
// million names would otherwise ask the locale some twenty million times.
// The order is the locale's with letter case ignored (AnsiCompareText's),
// ties kept in place. The keys share one buffer, so making them costs one
// allocation and comparing them touches memory in order.
class TSortKeys {
public:
  struct Entry {
    uint32_t offset;
    uint32_t length;
    uint32_t position;  // where the record stood: equal keys keep that order
    void* item;
  };

  explicit TSortKeys(size_t count) {
    entries_.reserve(count);
    bytes_.reserve(count * 48);
  }
  void Add(std::string_view text, void* item) {
    const size_t offset = bytes_.size();
    AppendAnsiSortKey(bytes_, text);
    entries_.push_back(Entry{static_cast<uint32_t>(offset), static_cast<uint32_t>(bytes_.size() - offset),
                             static_cast<uint32_t>(entries_.size()), item});
  }
  std::vector<Entry>& Entries() { return entries_; }

  // Byte order, a shorter key first when it is the other's start; compared
  // four bytes at a time.
  int Compare(const Entry& a, const Entry& b) const {
    const char* pa = bytes_.data() + a.offset;
    const char* pb = bytes_.data() + b.offset;
    const uint32_t n = std::min(a.length, b.length);
    uint32_t i = 0;
    for (; i + 4 <= n; i += 4) {
      uint32_t wa, wb;
      std::memcpy(&wa, pa + i, 4);
      std::memcpy(&wb, pb + i, 4);
      if (wa != wb) return __builtin_bswap32(wa) < __builtin_bswap32(wb) ? -1 : 1;
    }
    for (; i < n; ++i) {
      const auto ca = static_cast<unsigned char>(pa[i]);
      const auto cb = static_cast<unsigned char>(pb[i]);
      if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
  }

private:
  std::string bytes_;
  std::vector<Entry> entries_;
};

void SortByText(TList& items, bool& ascending, const std::string TFileInfo::*field) {
  TSortKeys keys(static_cast<size_t>(items.Count()));
  for (int i = 0; i < items.Count(); ++i) keys.Add(Info(items.Get(i)).*field, items.Get(i));
  std::vector<TSortKeys::Entry>& entries = keys.Entries();
  const int direction = ascending ? 1 : -1;
  std::sort(entries.begin(), entries.end(), [&](const TSortKeys::Entry& a, const TSortKeys::Entry& b) {
    const int order = keys.Compare(a, b) * direction;
    return order != 0 ? order < 0 : a.position < b.position;
  });
  for (int i = 0; i < items.Count(); ++i) items.Put(i, entries[static_cast<size_t>(i)].item);
  ascending = !ascending;
}

}  // namespace

TFileInfoList::~TFileInfoList() { Clear(); }

void TFileInfoList::Add(const TFileInfo& info) {
  auto* copy = new TFileInfo(info);
  try {
    items_.Add(copy);
  } catch (...) {
    delete copy;
    throw;
  }
}

int TFileInfoList::IndexOf(const TFileInfo& info) const {
  for (int i = 0; i < Count(); ++i) {
    const TFileInfo* item = At(i);
    if (item->Name == info.Name && item->Path == info.Path) return i;
  }
  return -1;
}

void TFileInfoList::Clear() {
  for (int i = Count() - 1; i >= 0; --i) {
    delete At(i);
    items_.Delete(i);
  }
  items_.Clear();
}

void TFileInfoList::Delete(int index) {
  TFileInfo* item = At(index);
  items_.Delete(index);
  delete item;
}

void TFileInfoList::GetItem(int index, TFileInfo& info) const { info = *At(index); }

const TFileInfo& TFileInfoList::Item(int index) const { return *At(index); }

void TFileInfoList::SortByName() { SortByText(items_, nameAscending_, &TFileInfo::Name); }
void TFileInfoList::SortByPath() { SortByText(items_, pathAscending_, &TFileInfo::Path); }
void TFileInfoList::SortByType() { SortByText(items_, typeAscending_, &TFileInfo::TypeName); }
void TFileInfoList::SortBySize() { SortBy(items_, sizeAscending_, SizeUp, SizeDown); }
void TFileInfoList::SortByDate() { SortBy(items_, dateAscending_, DateUp, DateDown); }

#include "search/fileinfo.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "classlib/list.h"
#include "classlib/strutils.h"

namespace {

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

// Identities are never handed out twice in a run, so a record removed and a
// record added later can never be taken for each other.
std::atomic<uint32_t> nextId{1};

// The text columns sort by each text's locale key, made once per text (a
// name's when its record is added, a folder's or a type's once for all the
// records that share it): a million names would otherwise ask the locale
// some twenty million times.
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
    Push(offset, item);
  }
  // A key made before.
  void AddKey(std::string_view key, void* item) {
    const size_t offset = bytes_.size();
    bytes_.append(key);
    Push(offset, item);
  }
  const std::vector<Entry>& Entries() const { return entries_; }

  // Equal keys keep their order, in either direction. Sorted eight key
  // bytes at a time: the entries sort by the first eight, each run that
  // shares them by the next eight, and so on, so that names alike in their
  // first letters (file1.txt, file2.txt, ...) cost no more than any others.
  void Sort(bool ascending) {
    std::vector<TSlot> slots(entries_.size());
    for (size_t i = 0; i < slots.size(); ++i) slots[i].entry = static_cast<uint32_t>(i);
    struct TRun {
      size_t first, last;
      uint32_t depth;
    };
    std::vector<TRun> runs{{0, slots.size(), 0}};
    while (!runs.empty()) {
      const TRun run = runs.back();
      runs.pop_back();
      SortRun(slots.data() + run.first, slots.data() + run.last, run.depth, ascending);
      for (size_t first = run.first; first < run.last;) {
        size_t last = first + 1;
        while (last < run.last && SameSlot(slots[first], slots[last])) ++last;
        if (last - first > 1 && slots[first].rest > kDigit) runs.push_back({first, last, run.depth + kDigit});
        first = last;
      }
    }
    std::vector<Entry> sorted;
    sorted.reserve(entries_.size());
    for (const TSlot& slot : slots) sorted.push_back(entries_[slot.entry]);
    entries_.swap(sorted);
  }

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
  static constexpr uint32_t kDigit = 8;
  // An entry while sorting: eight key bytes from the depth reached (zeros
  // past the key's end) and how many bytes the key has from there, counted
  // up to one more than eight (the key goes on).
  struct TSlot {
    uint64_t digit = 0;
    uint32_t rest = 0;
    uint32_t entry = 0;
  };
  static bool SameSlot(const TSlot& a, const TSlot& b) { return a.digit == b.digit && a.rest == b.rest; }

  void SortRun(TSlot* first, TSlot* last, uint32_t depth, bool ascending) const {
    for (TSlot* slot = first; slot != last; ++slot) {
      const Entry& entry = entries_[slot->entry];
      const uint32_t left = entry.length > depth ? entry.length - depth : 0;
      const uint32_t take = std::min(left, kDigit);
      const auto* bytes = reinterpret_cast<const unsigned char*>(bytes_.data()) + entry.offset + depth;
      uint64_t digit = 0;
      for (uint32_t i = 0; i < kDigit; ++i) digit = (digit << 8) | (i < take ? bytes[i] : 0u);
      slot->digit = digit;
      slot->rest = std::min(left, kDigit + 1);
    }
    // A run comes in entry order; one whose keys all go on alike (names
    // that start the same) is left so.
    if (std::all_of(first, last, [first](const TSlot& slot) { return SameSlot(slot, *first); })) return;
    // A key that ends is smaller than a longer one that starts with it.
    std::sort(first, last, [ascending](const TSlot& a, const TSlot& b) {
      if (!SameSlot(a, b)) {
        const bool less = a.digit != b.digit ? a.digit < b.digit : a.rest < b.rest;
        return ascending ? less : !less;
      }
      return a.entry < b.entry;
    });
  }

  void Push(size_t offset, void* item) {
    entries_.push_back(Entry{static_cast<uint32_t>(offset), static_cast<uint32_t>(bytes_.size() - offset),
                             static_cast<uint32_t>(entries_.size()), item});
  }

  std::string bytes_;
  std::vector<Entry> entries_;
};

}  // namespace

// The numbers of a record, then in the same block its name, the locale's
// sort key of the name and its context. The key is made when the record is
// added, while the search that finds it waits for the disk anyway: a sort by
// name then only compares bytes.
struct TFileInfoList::TRecord {
  int64_t size;
  double modified;
  int32_t imageIndex;
  uint32_t id;
  uint32_t path;  // in the shared texts
  uint32_t type;  // in the shared texts
  uint32_t nameLength;
  uint16_t keyLength;
  uint16_t contextLength;

  size_t Bytes() const { return sizeof(TRecord) + nameLength + keyLength + contextLength; }
  const char* Text() const { return reinterpret_cast<const char*>(this + 1); }
  std::string_view Name() const { return {Text(), nameLength}; }
  std::string_view NameKey() const { return {Text() + nameLength, keyLength}; }
  std::string_view Context() const { return {Text() + nameLength + keyLength, contextLength}; }
};

uint32_t TFileInfoList::TSharedTexts::Intern(std::string_view text) {
  auto found = numbers_.find(text);
  if (found != numbers_.end()) return found->second;
  const auto number = static_cast<uint32_t>(texts_.size());
  texts_.emplace_back(text);
  try {
    numbers_.emplace(texts_.back(), number);
  } catch (...) {
    texts_.pop_back();
    throw;
  }
  return number;
}

void TFileInfoList::TSharedTexts::Clear() {
  numbers_.clear();
  texts_.clear();
}

TFileInfoList::~TFileInfoList() { Clear(); }

void TFileInfoList::Free(TRecord* record) { ::operator delete(record); }

void TFileInfoList::Append(TRecord* record, std::string_view path, std::string_view type) {
  try {
    record->path = shared_.Intern(path);
    record->type = shared_.Intern(type);
    items_.push_back(record);
  } catch (...) {
    Free(record);
    throw;
  }
}

void TFileInfoList::Add(const TFileInfo& info) {
  // A context is a few dozen characters around an occurrence; a key only
  // orders, so one cut short only orders names alike that far among
  // themselves.
  constexpr size_t kMaxShort = UINT16_MAX;
  keyScratch_.clear();
  AppendAnsiSortKey(keyScratch_, info.Name);
  const std::string_view key = std::string_view(keyScratch_).substr(0, kMaxShort);
  const std::string_view context = std::string_view(info.Context).substr(0, kMaxShort);
  const size_t bytes = sizeof(TRecord) + info.Name.size() + key.size() + context.size();
  auto* record = static_cast<TRecord*>(::operator new(bytes));
  *record = TRecord{};
  record->size = info.Size;
  record->modified = info.Modified;
  record->imageIndex = info.ImageIndex;
  record->id = nextId++;
  record->nameLength = static_cast<uint32_t>(info.Name.size());
  record->keyLength = static_cast<uint16_t>(key.size());
  record->contextLength = static_cast<uint16_t>(context.size());
  auto* text = reinterpret_cast<char*>(record + 1);
  std::memcpy(text, info.Name.data(), info.Name.size());
  std::memcpy(text + info.Name.size(), key.data(), key.size());
  std::memcpy(text + info.Name.size() + key.size(), context.data(), context.size());
  Append(record, info.Path, info.TypeName);
}

void TFileInfoList::AddCopyOf(const TFileInfoList& source, int index) {
  const TRecord& original = source.At(index);
  auto* record = static_cast<TRecord*>(::operator new(original.Bytes()));
  std::memcpy(static_cast<void*>(record), &original, original.Bytes());
  Append(record, source.shared_.Text(original.path), source.shared_.Text(original.type));
}

const TFileInfoList::TRecord& TFileInfoList::At(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  return *items_[static_cast<size_t>(index)];
}

int TFileInfoList::IndexOf(const TFileInfo& info) const {
  for (int i = 0; i < Count(); ++i)
    if (Name(i) == info.Name && Path(i) == info.Path) return i;
  return -1;
}

void TFileInfoList::Clear() {
  for (auto it = items_.rbegin(); it != items_.rend(); ++it) Free(*it);
  items_.clear();
  items_.shrink_to_fit();
  shared_.Clear();
}

void TFileInfoList::Delete(int index) {
  At(index);
  TRecord* record = items_[static_cast<size_t>(index)];
  items_.erase(items_.begin() + index);
  Free(record);
}

int TFileInfoList::DeleteMarked(const std::vector<char>& marks) {
  size_t kept = 0;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (marks[i]) {
      Free(items_[i]);
      continue;
    }
    items_[kept++] = items_[i];
  }
  const int deleted = static_cast<int>(items_.size() - kept);
  items_.resize(kept);
  return deleted;
}

void TFileInfoList::GetItem(int index, TFileInfo& info) const { info = Item(index); }

TFileInfo TFileInfoList::Item(int index) const {
  const TRecord& record = At(index);
  TFileInfo info;
  info.Name = record.Name();
  info.Path = shared_.Text(record.path);
  info.TypeName = shared_.Text(record.type);
  info.Size = record.size;
  info.Modified = record.modified;
  info.ImageIndex = record.imageIndex;
  info.Context = record.Context();
  return info;
}

std::string_view TFileInfoList::Name(int index) const { return At(index).Name(); }
std::string_view TFileInfoList::Path(int index) const { return shared_.Text(At(index).path); }
std::string_view TFileInfoList::Context(int index) const { return At(index).Context(); }
uint32_t TFileInfoList::Id(int index) const { return At(index).id; }

void TFileInfoList::SortByName() {
  TSortKeys keys(items_.size());
  for (TRecord* record : items_) keys.AddKey(record->NameKey(), record);
  keys.Sort(nameAscending_);
  for (size_t i = 0; i < items_.size(); ++i) items_[i] = static_cast<TRecord*>(keys.Entries()[i].item);
  nameAscending_ = !nameAscending_;
}

// A folder or a type name is shared by many records: each shared text gets
// its rank once, and the records sort by those ranks.
void TFileInfoList::SortByShared(bool& ascending, uint32_t TRecord::*field) {
  TSortKeys keys(shared_.Count());
  for (uint32_t n = 0; n < shared_.Count(); ++n) keys.Add(shared_.Text(n), nullptr);
  keys.Sort(true);
  std::vector<uint32_t> rank(shared_.Count());
  const std::vector<TSortKeys::Entry>& entries = keys.Entries();
  for (size_t i = 0, r = 0; i < entries.size(); ++i) {
    if (i > 0 && keys.Compare(entries[i - 1], entries[i]) != 0) ++r;
    rank[entries[i].position] = static_cast<uint32_t>(r);
  }
  const bool up = ascending;
  std::stable_sort(items_.begin(), items_.end(), [&](const TRecord* a, const TRecord* b) {
    const uint32_t ra = rank[a->*field], rb = rank[b->*field];
    return up ? ra < rb : rb < ra;
  });
  ascending = !ascending;
}

void TFileInfoList::SortByPath() { SortByShared(pathAscending_, &TRecord::path); }
void TFileInfoList::SortByType() { SortByShared(typeAscending_, &TRecord::type); }

void TFileInfoList::SortBySize() {
  const bool up = sizeAscending_;
  std::stable_sort(items_.begin(), items_.end(), [up](const TRecord* a, const TRecord* b) {
    return up ? Sign(a->size, b->size) < 0 : Sign(a->size, b->size) > 0;
  });
  sizeAscending_ = !sizeAscending_;
}

void TFileInfoList::SortByDate() {
  const bool up = dateAscending_;
  std::stable_sort(items_.begin(), items_.end(), [up](const TRecord* a, const TRecord* b) {
    const int order = Sign(Milliseconds(a->modified), Milliseconds(b->modified));
    return up ? order < 0 : order > 0;
  });
  dateAscending_ = !dateAscending_;
}

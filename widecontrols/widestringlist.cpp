#include "widecontrols/widestringlist.h"

#include <utility>

#include "classlib/codepage.h"
#include "classlib/strutils.h"
#include "widecontrols/resstrings.h"

namespace {

const TResStringRec SListIndexError = ResStringText("List index out of bounds (%d)");
const TResStringRec SDuplicateString = ResStringText("String list does not allow duplicates");
const TResStringRec SSortedListError = ResStringText("Operation not allowed on sorted list");
const TResStringRec SListCapacityError = ResStringText("List capacity out of bounds (%d)");

[[noreturn]] void ListError(const TResStringRec& text, int data) {
  std::wstring message = WideLoadResString(&text);
  size_t at = message.find(L"%d");
  if (at != std::wstring::npos) message.replace(at, 2, std::to_wstring(data));
  throw EStringListError(WideToMultiByte(message, kAnsiCodePage));
}

}  // namespace

TWideStringList::~TWideStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  items_.clear();
  capacity_ = 0;
}

void TWideStringList::Check(int index) const {
  if (index < 0 || index >= Count()) ListError(SListIndexError, index);
}

std::wstring TWideStringList::Get(int index) const {
  Check(index);
  return items_[static_cast<size_t>(index)].String;
}

TObject* TWideStringList::GetObject(int index) const {
  Check(index);
  return items_[static_cast<size_t>(index)].Object;
}

void TWideStringList::SetCapacity(int capacity) {
  if (capacity < Count()) ListError(SListCapacityError, capacity);
  items_.reserve(static_cast<size_t>(capacity));
  if (static_cast<size_t>(capacity) < items_.capacity()) items_.shrink_to_fit();
  capacity_ = capacity;
}

void TWideStringList::Grow() {
  int delta = capacity_ > 64 ? capacity_ / 4 : (capacity_ > 8 ? 16 : 4);
  SetCapacity(capacity_ + delta);
}

void TWideStringList::Put(int index, const std::wstring& s) {
  if (sorted_) ListError(SSortedListError, 0);
  Check(index);
  Changing();
  items_[static_cast<size_t>(index)].String = s;
  Changed();
}

void TWideStringList::PutObject(int index, TObject* object) {
  Check(index);
  Changing();
  items_[static_cast<size_t>(index)].Object = object;
  Changed();
}

void TWideStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  SetCapacity(0);
  Changed();
}

void TWideStringList::Delete(int index) {
  Check(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TWideStringList::Insert(int index, const std::wstring& s) { InsertObject(index, s, nullptr); }

void TWideStringList::InsertObject(int index, const std::wstring& s, TObject* object) {
  if (sorted_) ListError(SSortedListError, 0);
  if (index < 0 || index > Count()) ListError(SListIndexError, index);
  InsertItem(index, s, object);
}

void TWideStringList::InsertItem(int index, const std::wstring& s, TObject* object) {
  Changing();
  if (Count() == capacity_) Grow();
  items_.insert(items_.begin() + index, TWideStringItem{s, object});
  Changed();
}

int TWideStringList::Add(const std::wstring& s) { return AddObject(s, nullptr); }

int TWideStringList::AddObject(const std::wstring& s, TObject* object) {
  int index = Count();
  if (sorted_ && Find(s, index)) {
    switch (duplicates_) {
      case dupIgnore: return index;
      case dupError: ListError(SDuplicateString, 0);
      case dupAccept: break;
    }
  }
  InsertItem(index, s, object);
  return index;
}

void TWideStringList::ExchangeItems(int index1, int index2) {
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

void TWideStringList::Exchange(int index1, int index2) {
  Check(index1);
  Check(index2);
  Changing();
  ExchangeItems(index1, index2);
  Changed();
}

bool TWideStringList::Find(std::wstring_view s, int& index) const {
  bool found = false;
  int l = 0, h = Count() - 1;
  while (l <= h) {
    int i = (l + h) >> 1;
    int c = CompareStrings(items_[static_cast<size_t>(i)].String, s);
    if (c < 0) {
      l = i + 1;
    } else {
      h = i - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) l = i;
      }
    }
  }
  index = l;
  return found;
}

int TWideStringList::IndexOf(std::wstring_view s) const {
  if (!sorted_) return TWideStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

int TWideStringList::IndexOfName(std::wstring_view name) const {
  if (!sorted_) return TWideStrings::IndexOfName(name);
  std::wstring key(name);
  key += NameValueSeparator();
  int index;
  Find(key, index);
  if (index < 0 || index >= Count()) return -1;
  std::wstring_view item = items_[static_cast<size_t>(index)].String;
  return CompareStrings(item.substr(0, key.size()), key) == 0 ? index : -1;
}

void TWideStringList::QuickSort(int l, int r, TWideStringListSortCompare compare) {
  // The scans are bounded by l and r as well as by the pivot, so a
  // comparison that contradicts itself cannot walk them off the array. The
  // smaller part is sorted by recursion and the larger by the loop, so the
  // stack stays shallow whatever the order; the parts are disjoint, so the
  // result is the same either way round.
  while (l < r) {
    int i = l, j = r, p = (l + r) >> 1;
    do {
      while (i < r && compare(this, i, p) < 0) ++i;
      while (j > l && compare(this, j, p) > 0) --j;
      if (i <= j) {
        ExchangeItems(i, j);
        if (p == i) p = j;
        else if (p == j) p = i;
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - l < r - i) {
      if (l < j) QuickSort(l, j, compare);
      l = i;
    } else {
      if (i < r) QuickSort(i, r, compare);
      r = j;
    }
  }
}

void TWideStringList::CustomSort(TWideStringListSortCompare compare) {
  if (sorted_ || Count() < 2) return;
  Changing();
  QuickSort(0, Count() - 1, compare);
  Changed();
}

void TWideStringList::Sort() {
  CustomSort([](TWideStringList* list, int index1, int index2) {
    return list->CompareStrings(list->items_[static_cast<size_t>(index1)].String,
                                list->items_[static_cast<size_t>(index2)].String);
  });
}

void TWideStringList::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  if (sorted) Sort();
  sorted_ = sorted;
}

void TWideStringList::SetCaseSensitive(bool caseSensitive) {
  if (caseSensitive == caseSensitive_) return;
  caseSensitive_ = caseSensitive;
  if (!sorted_) return;
  // Sort only sorts an unsorted list; the list counts as unsorted until the
  // new order holds.
  sorted_ = false;
  Sort();
  sorted_ = true;
}

int TWideStringList::CompareStrings(std::wstring_view a, std::wstring_view b) const {
  return caseSensitive_ ? WideCompareStr(a, b) : TWideStrings::CompareStrings(a, b);
}

void TWideStringList::SetUpdateState(bool updating) {
  if (updating) Changing();
  else Changed();
}

void TWideStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TWideStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

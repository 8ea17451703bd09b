#include "search/fileinfo.h"

#include <cmath>

#include "classlib/strutils.h"

namespace {

using Compare = int (*)(void*, void*);

const TFileInfo& Info(void* p) { return *static_cast<const TFileInfo*>(p); }

int Sign(int64_t a, int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

// File names compare by the locale, case ignored.
int CompareFileNames(const std::string& a, const std::string& b) { return AnsiCompareText(a, b); }

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

int NameUp(void* a, void* b) { return CompareFileNames(Info(a).Name, Info(b).Name); }
int NameDown(void* a, void* b) { return -NameUp(a, b); }
int PathUp(void* a, void* b) { return CompareFileNames(Info(a).Path, Info(b).Path); }
int PathDown(void* a, void* b) { return -PathUp(a, b); }
int TypeUp(void* a, void* b) { return CompareFileNames(Info(a).TypeName, Info(b).TypeName); }
int TypeDown(void* a, void* b) { return -TypeUp(a, b); }
int SizeUp(void* a, void* b) { return Sign(Info(a).Size, Info(b).Size); }
int SizeDown(void* a, void* b) { return -SizeUp(a, b); }
int DateUp(void* a, void* b) { return Sign(Milliseconds(Info(a).Modified), Milliseconds(Info(b).Modified)); }
int DateDown(void* a, void* b) { return -DateUp(a, b); }

void SortBy(TList& items, bool& ascending, Compare up, Compare down) {
  items.Sort(ascending ? up : down);
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

void TFileInfoList::SortByName() { SortBy(items_, nameAscending_, NameUp, NameDown); }
void TFileInfoList::SortByPath() { SortBy(items_, pathAscending_, PathUp, PathDown); }
void TFileInfoList::SortByType() { SortBy(items_, typeAscending_, TypeUp, TypeDown); }
void TFileInfoList::SortBySize() { SortBy(items_, sizeAscending_, SizeUp, SizeDown); }
void TFileInfoList::SortByDate() { SortBy(items_, dateAscending_, DateUp, DateDown); }

// The wide string list that stores its strings and objects in one array,
// optionally sorted. It owns its strings, never its objects.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "classlib/stringlist.h"
#include "widecontrols/widestrings.h"

class TWideStringList;

// < 0, 0, > 0 for the items at index1 and index2.
using TWideStringListSortCompare = int (*)(TWideStringList* list, int index1, int index2);

struct TWideStringItem {
  std::wstring String;
  TObject* Object;
};

class TWideStringList : public TWideStrings {
public:
  TWideStringList() = default;
  // No event fires while the list is destroyed.
  ~TWideStringList() override;

  int Count() const override { return static_cast<int>(items_.size()); }
  std::wstring Get(int index) const override;
  TObject* GetObject(int index) const override;
  int Capacity() const override { return capacity_; }
  // A capacity below Count raises EStringListError; the items stay.
  void SetCapacity(int capacity) override;
  void Put(int index, const std::wstring& s) override;
  void PutObject(int index, TObject* object) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const std::wstring& s) override;
  void InsertObject(int index, const std::wstring& s, TObject* object) override;
  int Add(const std::wstring& s) override;
  // Sorted: where Find says, or per Duplicates when the string is there.
  int AddObject(const std::wstring& s, TObject* object) override;
  void Exchange(int index1, int index2) override;
  int IndexOf(std::wstring_view s) const override;
  int IndexOfName(std::wstring_view name) const override;

  // Binary search of a sorted list: true when found; index is the item
  // found (the first of equal ones when duplicates are accepted) or where s
  // would go.
  virtual bool Find(std::wstring_view s, int& index) const;
  virtual void Sort();
  // Sorts an unsorted list of two or more items.
  virtual void CustomSort(TWideStringListSortCompare compare);

  bool Sorted() const { return sorted_; }
  // Switching sorting on sorts the list first, so Find and IndexOf hold.
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  bool CaseSensitive() const { return caseSensitive_; }
  // A sorted list is sorted again in the new order.
  void SetCaseSensitive(bool caseSensitive);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  virtual void Changed();
  virtual void Changing();
  virtual void InsertItem(int index, const std::wstring& s, TObject* object);
  void SetUpdateState(bool updating) override;
  int CompareStrings(std::wstring_view a, std::wstring_view b) const override;

private:
  void Check(int index) const;
  void Grow();
  void QuickSort(int l, int r, TWideStringListSortCompare compare);
  void ExchangeItems(int index1, int index2);

  std::vector<TWideStringItem> items_;
  int capacity_ = 0;
  bool sorted_ = false;
  TDuplicates duplicates_ = dupIgnore;
  bool caseSensitive_ = false;
};

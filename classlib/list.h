// A list of untyped pointers with bounds-checked access.
#pragma once

#include <vector>

#include "classlib/object.h"

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

class TList : public TObject {
public:
  ~TList() override { Clear(); }

  int Count() const { return static_cast<int>(items_.size()); }
  void SetCount(int count);
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  // A capacity below Count raises EListError instead of dropping items.
  void SetCapacity(int capacity);

  void* Get(int index) const;
  void Put(int index, void* item);
  void* operator[](int index) const { return Get(index); }
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  int Remove(void* item);       // index the item had, or -1
  void* Extract(void* item);    // removed without lnDeleted; the item or nullptr
  void Clear();
  int IndexOf(const void* item) const;
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  void Pack();  // drops the nil entries
  // Stable sort by compare (< 0, 0, > 0).
  void Sort(int (*compare)(void* a, void* b));

  const std::vector<void*>& Items() const { return items_; }

protected:
  virtual void Notify(void* /*item*/, TListNotification /*action*/) {}

private:
  void Check(int index) const;
  std::vector<void*> items_;
};

[[noreturn]] void RaiseListIndexError(int index);

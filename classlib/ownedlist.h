// The items a collection owns (a list view's columns, a status bar's panels,
// a cool bar's bands): kept in order, freed with the collection, reached by
// a bounds-checked index.
#pragma once

#include <memory>
#include <vector>

#include "classlib/list.h"

template <class T>
class TOwnedList {
public:
  // Takes item as the new last one and returns it.
  T* Add(std::unique_ptr<T> item) {
    items_.push_back(std::move(item));
    return items_.back().get();
  }
  int Count() const { return static_cast<int>(items_.size()); }
  // The item at index; EListError outside 0..Count-1.
  T* At(int index) const {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    return items_[static_cast<size_t>(index)].get();
  }
  // The position of item, -1 when it is not one of these.
  int IndexOf(const T* item) const {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].get() == item) return static_cast<int>(i);
    return -1;
  }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

private:
  std::vector<std::unique_ptr<T>> items_;
};

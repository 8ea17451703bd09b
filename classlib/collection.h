// Collections: an ordered list of items of one class that the collection
// makes and owns; an item knows its collection and its place in it. An
// owned collection also knows the object it belongs to.
#pragma once

#include <string>
#include <vector>

#include "classlib/object.h"

class TCollection;

class TCollectionItem : public TPersistent {
public:
  // Joins collection (when given) at its end.
  explicit TCollectionItem(TCollection* collection);
  // Leaves its collection.
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  // Moves the item to the end of another collection (or out of any).
  void SetCollection(TCollection* value);
  int Index() const;
  // The item's name in lists; the class name when it has no other.
  virtual std::string DisplayName() const { return ClassName(); }
  virtual const char* ClassName() const { return "TCollectionItem"; }

private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
};

// Makes a new item of the collection's class in collection.
using TCollectionItemClass = TCollectionItem* (*)(TCollection* collection);

class TCollection : public TPersistent {
public:
  explicit TCollection(TCollectionItemClass itemClass);
  // Frees the items.
  ~TCollection() override;

  int Count() const { return static_cast<int>(items_.size()); }
  // A bad index raises EListError.
  TCollectionItem* Items(int index) const;
  TCollectionItem* Add();
  void Delete(int index);
  void Clear();
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  // The object the collection belongs to (nullptr for none).
  virtual TPersistent* Owner() const { return nullptr; }

  // Copies a collection of the same item class: as many items, each
  // assigned from its counterpart.
  void Assign(TPersistent* source) override;

protected:
  // After a change of the items, unless an update is open.
  virtual void Changed() {}

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);

  TCollectionItemClass itemClass_;
  std::vector<TCollectionItem*> items_;
  int updateCount_ = 0;
};

class TOwnedCollection : public TCollection {
public:
  TOwnedCollection(TPersistent* owner, TCollectionItemClass itemClass) : TCollection(itemClass), owner_(owner) {}
  TPersistent* Owner() const override { return owner_; }

private:
  TPersistent* owner_;
};

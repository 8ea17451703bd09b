// An ordered list of icons that owns them (a position may be empty), tells
// every change through OnChange (once per batch of changes), and reads and
// writes itself as one block of bytes: a 32-bit count, then per position a
// 32-bit byte count (0 for an empty position) and the icon's ICO file.
#pragma once

#include <windows.h>

#include "classlib/icon.h"
#include "classlib/list.h"
#include "classlib/object.h"

class TStream;

class TIconList : public TPersistent {
public:
  TIconList();
  ~TIconList() override;

  void BeginUpdate();
  // Closing the outermost batch runs Changed once.
  void EndUpdate();
  // OnChange, unless a batch is open.
  virtual void Changed();

  // The icon at index (nullptr for an empty position); a bad index raises
  // EListError.
  virtual TIcon* Get(int index) const;
  virtual int GetCount() const;
  int Count() const { return GetCount(); }
  // Copies icon into position index; index == Count appends.
  virtual void Put(int index, TIcon* icon);
  // Each adds or inserts a copy of icon (nullptr: an empty icon); the list
  // never takes over the caller's object.
  virtual int Add(TIcon* icon);
  virtual void Insert(int index, TIcon* icon);
  // The icon resource name of instance (TIcon::LoadFromResourceName).
  virtual int AddResource(HINSTANCE instance, const char* resName);
  virtual void InsertResource(int index, HINSTANCE instance, const char* resName);
  virtual void Clear();
  virtual void Delete(int index);
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);
  // The position holding that very object, or -1.
  virtual int IndexOf(TIcon* icon) const;

  // Replaces the list with the one the stream holds. A damaged icon or a
  // truncated stream raises; the icons read until then stay.
  virtual void LoadFromStream(TStream& stream);
  virtual void SaveToStream(TStream& stream);

  // Copies an icon list or a single icon; nullptr clears.
  void Assign(TPersistent* source) override;

  TNotifyEvent OnChange;

private:
  // Where an icon goes: owned, and its edits count as changes of the list.
  void Place(int index, TIcon* icon);
  // A new icon made by fill, inserted at index; freed when fill raises.
  template <class Fill>
  void InsertNew(int index, Fill fill);
  void Connect(TIcon* icon);

  TList items_;
  int updateCount_ = 0;
};

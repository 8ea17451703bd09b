// The result store: the records of the current search, in the order the
// result list shows them, sortable by each column.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/list.h"
#include "classlib/object.h"

// One result.
struct TFileInfo {
  std::string Name;
  std::string Path;       // folder, without a trailing "\"
  std::string TypeName;   // the shell's type name
  int64_t Size = 0;
  double Modified = 0;    // last-write time, local, in days
  int32_t ImageIndex = -1;  // in the system image list; -1 until asked for
  std::string Context;    // text around the first occurrence of the containing text
};

class TFileInfoList : public TPersistent {
public:
  TFileInfoList() = default;
  ~TFileInfoList() override;

  // Appends a copy of info.
  void Add(const TFileInfo& info);
  // The first record with the same Name and Path (case counts), or -1.
  int IndexOf(const TFileInfo& info) const;
  void Clear();
  void Delete(int index);
  int Count() const { return items_.Count(); }
  // A copy of the record at index; EListError when out of range.
  void GetItem(int index, TFileInfo& info) const;
  // The record at index itself, valid until the list changes; EListError
  // when out of range.
  const TFileInfo& Item(int index) const;

  // Each sorts the whole list by its column in the direction of the column's
  // flag, then turns the flag round: ascending first, then descending.
  void SortByName();
  void SortByPath();
  void SortByType();
  void SortBySize();
  void SortByDate();

  bool NameAscending() const { return nameAscending_; }
  bool PathAscending() const { return pathAscending_; }
  bool TypeAscending() const { return typeAscending_; }
  bool SizeAscending() const { return sizeAscending_; }
  bool DateAscending() const { return dateAscending_; }

private:
  TFileInfo* At(int index) const { return static_cast<TFileInfo*>(items_.Get(index)); }

  TList items_;
  bool nameAscending_ = true;
  bool pathAscending_ = true;
  bool typeAscending_ = true;
  bool sizeAscending_ = true;
  bool dateAscending_ = true;
};

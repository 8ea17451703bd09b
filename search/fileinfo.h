// The result store: the records of the current search, in the order the
// result list shows them, sortable by each column.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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

// Each record is kept in one block (its numbers, name and context), while a
// folder or a type name, which many records share, is kept once per list:
// a million hits must fit in a 32-bit program's memory. A context longer
// than 65,535 bytes is cut there.
class TFileInfoList : public TPersistent {
public:
  TFileInfoList() = default;
  ~TFileInfoList() override;
  TFileInfoList(const TFileInfoList&) = delete;
  TFileInfoList& operator=(const TFileInfoList&) = delete;

  // Appends a copy of info, with an identity of its own.
  void Add(const TFileInfo& info);
  // Appends a copy of source's record at index, identity included.
  void AddCopyOf(const TFileInfoList& source, int index);
  // The first record with the same Name and Path (case counts), or -1.
  int IndexOf(const TFileInfo& info) const;
  void Clear();
  void Delete(int index);
  // Deletes, in one pass, the records whose indexes remove(index) names;
  // later records keep their order. The number deleted.
  template <class Predicate>
  int DeleteWhere(Predicate remove);
  int Count() const { return static_cast<int>(items_.size()); }
  // A copy of the record at index; EListError when out of range.
  void GetItem(int index, TFileInfo& info) const;
  TFileInfo Item(int index) const;

  // Parts of the record at index without a copy, valid until the list
  // changes; EListError when out of range.
  std::string_view Name(int index) const;
  std::string_view Path(int index) const;
  std::string_view Context(int index) const;
  // What tells a record from every other of this run, the same in the
  // copies the name filter makes; kept through sorts and removals.
  uint32_t Id(int index) const;

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
  struct TRecord;
  // The texts many records share, each kept once and named by its number.
  class TSharedTexts {
  public:
    uint32_t Intern(std::string_view text);
    std::string_view Text(uint32_t number) const { return texts_[number]; }
    uint32_t Count() const { return static_cast<uint32_t>(texts_.size()); }
    void Clear();

  private:
    std::deque<std::string> texts_;  // a deque never moves what it holds
    std::unordered_map<std::string_view, uint32_t> numbers_;
  };

  const TRecord& At(int index) const;
  // Takes record over (freeing it on failure) with its folder and type.
  void Append(TRecord* record, std::string_view path, std::string_view type);
  void SortByShared(bool& ascending, uint32_t TRecord::*field);
  int DeleteMarked(const std::vector<char>& marks);
  static void Free(TRecord* record);

  std::vector<TRecord*> items_;
  TSharedTexts shared_;  // folders and type names
  std::string keyScratch_;
  bool nameAscending_ = true;
  bool pathAscending_ = true;
  bool typeAscending_ = true;
  bool sizeAscending_ = true;
  bool dateAscending_ = true;
};

template <class Predicate>
int TFileInfoList::DeleteWhere(Predicate remove) {
  // Every record is asked first, so that a predicate that fails leaves the
  // list as it was.
  std::vector<char> marks(items_.size());
  for (size_t i = 0; i < items_.size(); ++i) marks[i] = remove(static_cast<int>(i)) ? 1 : 0;
  return DeleteMarked(marks);
}

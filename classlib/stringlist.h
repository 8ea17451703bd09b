// Lists of 8-bit strings with associated objects: the abstract TStrings and
// the TStringList that stores them (optionally sorted).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "classlib/object.h"

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
public:
  virtual int Count() const = 0;
  virtual std::string Get(int index) const = 0;
  virtual TObject* GetObject(int /*index*/) const { return nullptr; }
  virtual void Put(int index, const std::string& s);
  virtual void PutObject(int /*index*/, TObject* /*object*/) {}
  virtual void Insert(int index, const std::string& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  std::string Strings(int index) const { return Get(index); }
  std::string operator[](int index) const { return Get(index); }
  TObject* Objects(int index) const { return GetObject(index); }

  virtual int Add(const std::string& s);
  virtual int AddObject(const std::string& s, TObject* object);
  void InsertObject(int index, const std::string& s, TObject* object);
  void Append(const std::string& s) { Add(s); }
  void AddStrings(const TStrings& strings);
  virtual void Move(int curIndex, int newIndex);
  virtual void Exchange(int index1, int index2);

  // Index of the first string equal to s by CompareStrings, or -1.
  virtual int IndexOf(std::string_view s) const;
  int IndexOfObject(const TObject* object) const;

  // "name=value" lines.
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  int IndexOfName(std::string_view name) const;
  std::string Values(std::string_view name) const;
  void SetValue(std::string_view name, const std::string& value);

  // The lines joined by CR LF (each line followed by one). SetText splits at
  // CR LF, CR or LF.
  std::string Text() const;
  virtual void SetText(std::string_view text);
  // Comma-separated, strings with blanks, commas or quotes in double quotes.
  std::string CommaText() const;
  void SetCommaText(std::string_view text);

  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  void Assign(TPersistent* source) override;
  bool Equals(const TStrings& other) const;
  std::vector<std::string> ToVector() const;

protected:
  // Equality and order used by IndexOf and sorting: the locale's
  // case-insensitive order by default.
  virtual int CompareStrings(std::string_view a, std::string_view b) const;
  virtual void SetUpdateState(bool /*updating*/) {}

private:
  int updateCount_ = 0;
};

class TStringList : public TStrings {
public:
  TStringList() = default;
  ~TStringList() override;

  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Get(int index) const override;
  TObject* GetObject(int index) const override;
  void Put(int index, const std::string& s) override;
  void PutObject(int index, TObject* object) override;
  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;
  int Add(const std::string& s) override;
  // In a sorted list an ignored duplicate leaves the entry already there,
  // object included, untouched.
  int AddObject(const std::string& s, TObject* object) override;
  void Exchange(int index1, int index2) override;
  int IndexOf(std::string_view s) const override;

  // Binary search of a sorted list: true when found; index is where s is or
  // would be inserted (the first of equal strings when duplicates exist).
  bool Find(std::string_view s, int& index) const;
  void Sort();
  void CustomSort(int (*compare)(TStringList* list, int index1, int index2));

  bool Sorted() const { return sorted_; }
  // Switching sorting on sorts the list first, so Find stays right.
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool caseSensitive);
  // When set, the list deletes its objects as their strings are removed.
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  int CompareStrings(std::string_view a, std::string_view b) const override;
  void SetUpdateState(bool updating) override;
  virtual void Changed();
  virtual void Changing();

private:
  struct Item {
    std::string text;
    TObject* object;
  };
  void Check(int index) const;
  void InsertItem(int index, const std::string& s, TObject* object);
  // Where s goes (sorted or not); false for an ignored duplicate, whose
  // index is then the entry already there.
  bool PlaceFor(const std::string& s, int& index) const;
  void SortItems(int (*compare)(TStringList*, int, int));

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  bool ownsObjects_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

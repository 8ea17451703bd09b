// The abstract list of wide strings with associated objects, the wide
// counterpart of the class library's TStrings. Its text files carry a
// byte-order mark (see bomtext.h); its 8-bit view converts in a code page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "classlib/object.h"
#include "widecontrols/bomtext.h"

class TFiler;
class TReader;
class TStream;
class TStrings;
class TWriter;
class TWideStrings;
class TAnsiStringsForWideStringsAdapter;

// Something outside the list that follows it: told when it is attached to a
// list and when it is let go.
class IWideStringsAdapter {
public:
  virtual void ReferenceStrings(TWideStrings* strings) = 0;
  virtual void ReleaseStrings() = 0;

protected:
  ~IWideStringsAdapter() = default;
};

class TWideStrings : public TPersistent {
public:
  TWideStrings();
  ~TWideStrings() override;

  // --- storage, supplied by the descendant -------------------------------
  virtual int Count() const = 0;
  virtual std::wstring Get(int index) const = 0;
  virtual TObject* GetObject(int /*index*/) const { return nullptr; }
  virtual int Capacity() const { return Count(); }
  virtual void SetCapacity(int /*capacity*/) {}
  // Replaces the string at index, keeping its object.
  virtual void Put(int index, const std::wstring& s);
  virtual void PutObject(int /*index*/, TObject* /*object*/) {}
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Insert(int index, const std::wstring& s) = 0;

  std::wstring Strings(int index) const { return Get(index); }
  std::wstring operator[](int index) const { return Get(index); }
  TObject* Objects(int index) const { return GetObject(index); }

  // --- operations built on the storage -----------------------------------
  virtual int Add(const std::wstring& s);
  virtual int AddObject(const std::wstring& s, TObject* object);
  virtual void InsertObject(int index, const std::wstring& s, TObject* object);
  void Append(const std::wstring& s) { Add(s); }
  virtual void AddStrings(const TWideStrings& strings);
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);

  // -1 when absent. Equality is CompareStrings.
  virtual int IndexOf(std::wstring_view s) const;
  // The first item holding the name-value separator whose part before it
  // equals name.
  virtual int IndexOfName(std::wstring_view name) const;
  virtual int IndexOfObject(const TObject* object) const;

  // Every item followed by CR LF; SetTextStr splits at CR LF, CR, LF and
  // U+2028 and stops at a zero unit.
  virtual std::wstring GetTextStr() const;
  virtual void SetTextStr(std::wstring_view value);
  // The text as a new zero-terminated buffer: release it with WStrDispose.
  virtual wchar_t* GetText() const;
  virtual void SetText(const wchar_t* text);

  // Reads the rest of stream: its character set from a byte-order mark when
  // withBOM, else UTF-16LE from the position, a mark included.
  virtual void LoadFromStream(TStream& stream, bool withBOM);
  // UTF-16LE, after the mark FF FE when withBOM.
  virtual void SaveToStream(TStream& stream, bool withBOM) const;
  virtual void LoadFromFile(const std::wstring& fileName);
  // Always UTF-16LE with a mark, whatever the file was loaded as.
  virtual void SaveToFile(const std::wstring& fileName) const;
  // The character set of the last file loaded (csUnicode before any).
  TWideStreamCharSet LastFileCharSet() const { return lastFileCharSet_; }

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // From another wide list (strings, objects, separator); from an 8-bit
  // class-library list through AnsiStrings.
  void Assign(TPersistent* source) override;
  // Same count and every string binary equal.
  bool Equals(const TWideStrings& other) const;

  // "=" until set.
  wchar_t NameValueSeparator() const;
  void SetNameValueSeparator(wchar_t separator);

  // The list seen as 8-bit strings (converted in the view's code page).
  TAnsiStringsForWideStringsAdapter* AnsiStrings() const { return ansiStrings_.get(); }
  void SetAnsiStrings(TStrings* value);

  IWideStringsAdapter* Adapter() const { return adapter_; }
  void SetAdapter(IWideStringsAdapter* adapter);

  // In a form stream: "WideStrings" (the items, wide) and, when an item
  // holds a character beyond 7-bit ASCII, "WideStrings_UTF7"; "Strings"
  // and "WideStringsW" of older writers are read too (widefilers.cpp).
  void DefineProperties(TFiler* filer) override;

protected:
  void AssignTo(TPersistent* dest) override;
  virtual void SetUpdateState(bool /*updating*/) {}
  // Case ignored, in the user's locale: < 0, 0, > 0.
  virtual int CompareStrings(std::wstring_view a, std::wstring_view b) const;

private:
  static constexpr uint8_t kNameValueSeparatorDefined = 4;

  // Whether the list is written: it differs from the writer's ancestor,
  // or, without one, holds items.
  bool DoWrite(TFiler* filer) const;
  bool NeedsUTF7() const;
  void ReadStrings(TReader& reader);
  void WriteStrings(TWriter& writer) const;
  void ReadStringsUTF7(TReader& reader);
  void ReadStringsUTF8(TReader& reader);
  void WriteStringsUTF7(TWriter& writer) const;
  // A list of 8-bit strings: decoded and put in place of the items when
  // apply, else read and dropped.
  void ReadEncodedStrings(TReader& reader, bool apply, std::wstring (*decode)(std::string_view));

  std::unique_ptr<TAnsiStringsForWideStringsAdapter> ansiStrings_;
  TWideStreamCharSet lastFileCharSet_ = csUnicode;
  mutable uint8_t definedFlags_ = 0;
  mutable wchar_t nameValueSeparator_ = L'=';
  int updateCount_ = 0;
  IWideStringsAdapter* adapter_ = nullptr;
};

// Runs body between BeginUpdate and EndUpdate of strings. Not a destructor:
// EndUpdate fires OnChange, whose handler may throw.
template <class F>
void WithUpdate(TWideStrings& strings, F&& body) {
  strings.BeginUpdate();
  try {
    body();
  } catch (...) {
    strings.EndUpdate();
    throw;
  }
  strings.EndUpdate();
}

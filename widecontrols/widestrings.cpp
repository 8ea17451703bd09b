#include "widecontrols/widestrings.h"

#include "classlib/stringlist.h"
#include "classlib/strutils.h"
#include "widecontrols/ansistringsadapter.h"
#include "widecontrols/widecstr.h"
#include "widecontrols/widefilestream.h"

namespace {
constexpr wchar_t kCR = 0x000D, kLF = 0x000A, kLineSeparator = 0x2028;
// Read access; others may read but not write while the file is loaded.
constexpr uint16_t kLoadFileMode = fmOpenRead | fmShareDenyWrite;

}  // namespace

TWideStrings::TWideStrings()
    : ansiStrings_(std::make_unique<TAnsiStringsForWideStringsAdapter>(this, 0)) {}

TWideStrings::~TWideStrings() { SetAdapter(nullptr); }

void TWideStrings::Put(int index, const std::wstring& s) {
  TObject* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

int TWideStrings::Add(const std::wstring& s) {
  int index = Count();
  Insert(index, s);
  return index;
}

int TWideStrings::AddObject(const std::wstring& s, TObject* object) {
  int index = Add(s);
  PutObject(index, object);
  return index;
}

void TWideStrings::InsertObject(int index, const std::wstring& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

void TWideStrings::AddStrings(const TWideStrings& strings) {
  WithUpdate(*this, [&] {
    // Counted once, so a list can be added to itself.
    int n = strings.Count();
    for (int i = 0; i < n; ++i) AddObject(strings.Get(i), strings.GetObject(i));
  });
}

void TWideStrings::Exchange(int index1, int index2) {
  WithUpdate(*this, [&] {
    std::wstring s1 = Get(index1), s2 = Get(index2);
    TObject* o1 = GetObject(index1);
    TObject* o2 = GetObject(index2);
    Put(index1, s2);
    PutObject(index1, o2);
    Put(index2, s1);
    PutObject(index2, o1);
  });
}

void TWideStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  WithUpdate(*this, [&] {
    std::wstring s = Get(curIndex);
    TObject* object = GetObject(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, s, object);
  });
}

int TWideStrings::IndexOf(std::wstring_view s) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TWideStrings::IndexOfName(std::wstring_view name) const {
  wchar_t separator = NameValueSeparator();
  for (int i = 0; i < Count(); ++i) {
    std::wstring s = Get(i);
    size_t at = s.find(separator);
    if (at != std::wstring::npos && CompareStrings(std::wstring_view(s).substr(0, at), name) == 0) return i;
  }
  return -1;
}

int TWideStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0; i < Count(); ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

std::wstring TWideStrings::GetTextStr() const {
  int n = Count();
  size_t size = 0;
  for (int i = 0; i < n; ++i) size += Get(i).size() + 2;
  std::wstring text;
  text.reserve(size);
  for (int i = 0; i < n; ++i) {
    text += Get(i);
    text += kCR;
    text += kLF;
  }
  return text;
}

void TWideStrings::SetTextStr(std::wstring_view value) {
  WithUpdate(*this, [&] {
    Clear();
    auto at = [&](size_t i) { return i < value.size() ? value[i] : wchar_t{0}; };
    size_t i = 0;
    while (at(i) != 0) {
      size_t start = i;
      for (wchar_t c = at(i); c != 0 && c != kLF && c != kCR && c != kLineSeparator; c = at(++i)) {}
      Add(std::wstring(value.substr(start, i - start)));
      if (at(i) == kCR) ++i;
      if (at(i) == kLF) ++i;
      if (at(i) == kLineSeparator) ++i;
    }
  });
}

wchar_t* TWideStrings::GetText() const { return WStrNew(GetTextStr().c_str()); }

void TWideStrings::SetText(const wchar_t* text) {
  SetTextStr(text != nullptr ? std::wstring_view(text) : std::wstring_view());
}

void TWideStrings::LoadFromStream(TStream& stream, bool withBOM) {
  WithUpdate(*this, [&] {
    TWideStreamCharSet charSet = withBOM ? AutoDetectCharacterSet(stream) : csUnicode;
    SetTextStr(ReadStreamText(stream, charSet));
  });
}

void TWideStrings::SaveToStream(TStream& stream, bool withBOM) const {
  WriteStreamText(stream, GetTextStr(), withBOM);
}

void TWideStrings::LoadFromFile(const std::wstring& fileName) {
  TWideFileStream stream(fileName, kLoadFileMode);
  lastFileCharSet_ = AutoDetectCharacterSet(stream);
  stream.SetPosition(0);
  LoadFromStream(stream, true);
}

void TWideStrings::SaveToFile(const std::wstring& fileName) const {
  TWideFileStream stream(fileName, fmCreate);
  SaveToStream(stream, true);
}

void TWideStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TWideStrings::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

void TWideStrings::Assign(TPersistent* source) {
  if (auto* wide = dynamic_cast<TWideStrings*>(source)) {
    // Clearing first would lose a list assigned to itself.
    if (wide == this) return;
    WithUpdate(*this, [&] {
      Clear();
      definedFlags_ = wide->definedFlags_;
      nameValueSeparator_ = wide->nameValueSeparator_;
      AddStrings(*wide);
    });
    return;
  }
  if (auto* ansi = dynamic_cast<TStrings*>(source)) {
    ansiStrings_->Assign(ansi);
    return;
  }
  TPersistent::Assign(source);
}

void TWideStrings::AssignTo(TPersistent* dest) {
  if (auto* ansi = dynamic_cast<TStrings*>(dest)) {
    ansi->Assign(ansiStrings_.get());
    return;
  }
  TPersistent::AssignTo(dest);
}

bool TWideStrings::Equals(const TWideStrings& other) const {
  if (Count() != other.Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

wchar_t TWideStrings::NameValueSeparator() const {
  if ((definedFlags_ & kNameValueSeparatorDefined) == 0) {
    nameValueSeparator_ = L'=';
    definedFlags_ |= kNameValueSeparatorDefined;
  }
  return nameValueSeparator_;
}

void TWideStrings::SetNameValueSeparator(wchar_t separator) {
  nameValueSeparator_ = separator;
  definedFlags_ |= kNameValueSeparatorDefined;
}

void TWideStrings::SetAnsiStrings(TStrings* value) { ansiStrings_->Assign(value); }

void TWideStrings::SetAdapter(IWideStringsAdapter* adapter) {
  if (adapter_ != nullptr) adapter_->ReleaseStrings();
  adapter_ = adapter;
  if (adapter_ != nullptr) adapter_->ReferenceStrings(this);
}

int TWideStrings::CompareStrings(std::wstring_view a, std::wstring_view b) const {
  return WideCompareText(a, b);
}

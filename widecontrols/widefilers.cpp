#include "widecontrols/widefilers.h"

#include "classlib/component.h"
#include "classlib/typinfo.h"
#include "widecontrols/codepageconv.h"
#include "widecontrols/platform.h"
#include "widecontrols/utf7.h"
#include "widecontrols/utf8.h"
#include "widecontrols/widestrings.h"

bool WideApplyCompanionDataAtRunTime = false;

namespace {

// True for text with a character outside 7-bit ASCII: its UTF-8 bytes, read
// as 8-bit text, are not the text any more.
bool HasNonAsciiText(const std::wstring& text) {
  return !text.empty() && StringToWideStringEx(WideStringToUTF8(text), DefaultSystemCodePage) != text;
}

// The ancestor's property of the same name and kind, or nullptr.
const TPropInfo* AncestorProp(TFiler* filer, const TPropInfo& prop) {
  auto* writer = dynamic_cast<TWriter*>(filer);
  if (writer == nullptr || writer->Ancestor() == nullptr) return nullptr;
  const TPropInfo* same = GetPropInfo(writer->Ancestor(), prop.Name);
  return same != nullptr && same->Kind == prop.Kind ? same : nullptr;
}

// The root descends from its ancestor's class: the ancestor's table is in
// the chain of the root's.
bool DescendsFrom(TComponent* root, TComponent* ancestor) {
  const TPublishedClass* target = ancestor->PublishedClass();
  for (const TPublishedClass* c = root->PublishedClass(); c != nullptr; c = c->Parent)
    if (c == target) return true;
  return false;
}

}  // namespace

bool WidePersistent_ReadCompanionData(TReader& reader) {
  TComponent* owner = reader.Owner();
  return (owner != nullptr && owner->HasState(csDesigning)) || WideApplyCompanionDataAtRunTime;
}

// --- wide strings ---------------------------------------------------------------------

void TWideStringPropertyFiler::DefineProperties(TFiler* filer) {
  if (prop_.Kind != tkWString) return;
  const bool writing = dynamic_cast<TWriter*>(filer) != nullptr;
  filer->DefineProperty(std::string(prop_.Name) + "W", [this](TReader& r) { ReadDataUTF8(r); }, nullptr, false);
  filer->DefineProperty(std::string(prop_.Name) + "_UTF7", [this](TReader& r) { ReadDataUTF7(r); },
                        [this](TWriter& w) { WriteDataUTF7(w); }, writing && HasDataUTF7(filer));
}

void TWideStringPropertyFiler::ReadDataUTF8(TReader& reader) {
  const std::string value = reader.ReadString();
  if (WidePersistent_ReadCompanionData(reader)) SetWideStrProp(instance_, prop_, UTF8ToWideString(value));
}

void TWideStringPropertyFiler::ReadDataUTF7(TReader& reader) {
  const std::string value = reader.ReadString();
  // A dropped value is never decoded, so a malformed one raises nothing.
  if (WidePersistent_ReadCompanionData(reader)) SetWideStrProp(instance_, prop_, UTF7ToWideString(value));
}

void TWideStringPropertyFiler::WriteDataUTF7(TWriter& writer) {
  writer.WriteString(WideStringToUTF7(GetWideStrProp(instance_, prop_)));
}

bool TWideStringPropertyFiler::HasDataUTF7(TFiler* filer) {
  if (!IsStoredProp(instance_, prop_)) return false;
  const std::wstring value = GetWideStrProp(instance_, prop_);
  if (const TPropInfo* same = AncestorProp(filer, prop_); same != nullptr) {
    auto* writer = static_cast<TWriter*>(filer);
    if (GetWideStrProp(writer->Ancestor(), *same) == value) return false;
  }
  return HasNonAsciiText(value);
}

// --- wide characters ------------------------------------------------------------------

void TWideCharPropertyFiler::DefineProperties(TFiler* filer) {
  if (prop_.Kind != tkWChar) return;
  auto* writer = dynamic_cast<TWriter*>(filer);
  filer->DefineProperty(std::string(prop_.Name) + "W", [this](TReader& r) { ReadDataW(r); },
                        [this](TWriter& w) { WriteDataW(w); }, writer != nullptr && HasDataW(writer));
  filer->DefineProperty(std::string(prop_.Name) + "_UTF7", [this](TReader& r) { ReadDataUTF7(r); }, nullptr, false);
}

void TWideCharPropertyFiler::ReadDataW(TReader& reader) {
  switch (reader.NextValue()) {
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
      break;
    default:
      throw EReadError("Invalid property value");
  }
  const std::wstring value = reader.ReadWideString();
  if (value.size() > 1) throw EReadError("Invalid property value");
  SetOrdProp(instance_, prop_, value.empty() ? 0 : static_cast<uint16_t>(value[0]));
}

void TWideCharPropertyFiler::ReadDataUTF7(TReader& reader) {
  const std::string value = reader.ReadString();
  if (!WidePersistent_ReadCompanionData(reader)) return;
  const std::wstring text = UTF7ToWideString(value);
  SetOrdProp(instance_, prop_, text.empty() ? 0 : static_cast<uint16_t>(text[0]));
}

void TWideCharPropertyFiler::WriteDataW(TWriter& writer) {
  writer.WriteWideString(std::wstring(1, static_cast<wchar_t>(GetOrdProp(instance_, prop_))));
}

bool TWideCharPropertyFiler::HasDataW(TWriter* writer) {
  if (!IsStoredProp(instance_, prop_)) return false;
  if (const TPropInfo* same = AncestorProp(writer, prop_); same != nullptr &&
      GetOrdProp(writer->Ancestor(), *same) == GetOrdProp(instance_, prop_))
    return false;
  return !IsDefaultOrdPropValue(writer, instance_, prop_);
}

bool IsDefaultOrdPropValue(TWriter* writer, TPersistent* instance, const TPropInfo& prop) {
  if (!prop.HasGetter() || !prop.HasSetter()) return true;
  const int64_t value = GetOrdProp(instance, prop);
  const bool usableAncestor = writer->Ancestor() != nullptr && writer->RootAncestor() != nullptr &&
                              writer->Root() != nullptr && DescendsFrom(writer->Root(), writer->RootAncestor());
  if (usableAncestor) {
    const TPropInfo* same = GetPropInfo(writer->Ancestor(), prop.Name);
    return same != nullptr && same->GetOrd != nullptr && GetOrdProp(writer->Ancestor(), *same) == value;
  }
  return prop.Default != kNoDefault && value == prop.Default;
}

void WidePersistent_AfterInherited_DefineProperties(TFiler* filer, TPersistent* instance) {
  for (const TPropInfo* prop : GetPropInfos(instance, TypeKindBit(tkWString) | TypeKindBit(tkWChar))) {
    if (prop->Kind == tkWString) TWideStringPropertyFiler(instance, *prop).DefineProperties(filer);
    else TWideCharPropertyFiler(instance, *prop).DefineProperties(filer);
  }
}

// --- wide string lists ----------------------------------------------------------------

bool TWideStrings::DoWrite(TFiler* filer) const {
  if (TPersistent* ancestor = filer->Ancestor()) {
    auto* list = dynamic_cast<TWideStrings*>(ancestor);
    return list == nullptr || !list->Equals(*this);
  }
  return Count() > 0;
}

bool TWideStrings::NeedsUTF7() const {
  for (int i = 0; i < Count(); ++i)
    if (HasNonAsciiText(Get(i))) return true;
  return false;
}

void TWideStrings::DefineProperties(TFiler* filer) {
  const bool writing = dynamic_cast<TWriter*>(filer) != nullptr;
  const bool doWrite = writing && DoWrite(filer);
  filer->DefineProperty("Strings", [this](TReader& r) { ReadStrings(r); }, nullptr, false);
  filer->DefineProperty("WideStrings", [this](TReader& r) { ReadStrings(r); }, [this](TWriter& w) { WriteStrings(w); },
                        doWrite);
  filer->DefineProperty("WideStringsW", [this](TReader& r) { ReadStringsUTF8(r); }, nullptr, false);
  filer->DefineProperty("WideStrings_UTF7", [this](TReader& r) { ReadStringsUTF7(r); },
                        [this](TWriter& w) { WriteStringsUTF7(w); }, doWrite && NeedsUTF7());
}

void TWideStrings::ReadStrings(TReader& reader) {
  switch (reader.NextValue()) {
    case vaList:
      reader.ReadListBegin();
      WithUpdate(*this, [&] {
        Clear();
        while (!reader.EndOfList()) Add(reader.ReadWideString());
      });
      reader.ReadListEnd();
      return;
    default:
      SetTextStr(reader.ReadWideString());
  }
}

void TWideStrings::WriteStrings(TWriter& writer) const {
  writer.WriteListBegin();
  for (int i = 0; i < Count(); ++i) writer.WriteWideString(Get(i));
  writer.WriteListEnd();
}

void TWideStrings::ReadEncodedStrings(TReader& reader, bool apply, std::wstring (*decode)(std::string_view)) {
  reader.ReadListBegin();
  if (!apply) {
    while (!reader.EndOfList()) reader.ReadString();
  } else {
    WithUpdate(*this, [&] {
      Clear();
      while (!reader.EndOfList()) Add(decode(reader.ReadString()));
    });
  }
  reader.ReadListEnd();
}

void TWideStrings::ReadStringsUTF7(TReader& reader) {
  ReadEncodedStrings(reader, WidePersistent_ReadCompanionData(reader), &UTF7ToWideString);
}

void TWideStrings::ReadStringsUTF8(TReader& reader) {
  ReadEncodedStrings(reader, WidePersistent_ReadCompanionData(reader) || Count() == 0, &UTF8ToWideString);
}

void TWideStrings::WriteStringsUTF7(TWriter& writer) const {
  writer.WriteListBegin();
  for (int i = 0; i < Count(); ++i) writer.WriteString(WideStringToUTF7(Get(i)));
  writer.WriteListEnd();
}

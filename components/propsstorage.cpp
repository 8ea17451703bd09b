#include "components/propsstorage.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "classlib/application.h"
#include "classlib/codepage.h"
#include "classlib/collection.h"
#include "classlib/component.h"
#include "classlib/controls.h"
#include "classlib/forms.h"
#include "classlib/stringlist.h"
#include "classlib/strutils.h"
#include "components/utilities.h"

namespace {

const char kNull[] = "(null)";
// A count beyond this is a damaged value, not a list anyone stored.
constexpr int64_t kMaxStoredCount = 65536;
const TCharSet kSetDelimiters = CharSetOf(" ,[]");

// Significant digits of each float type in its text.
int Digits(TFloatType type) {
  switch (type) {
    case ftSingle: return 7;
    case ftDouble: return 15;
    // A double holds no more than 17 meaningful digits.
    default: return 17;
  }
}

std::string FloatText(double value, TFloatType type) {
  char text[48];
  // The C runtime's own locale: "." whatever the user's settings say.
  std::snprintf(text, sizeof text, "%.*G", Digits(type), value);
  return text;
}

// A stored count, or -1 when it is missing, not a number, negative or absurd.
int64_t StoredCount(const std::string& text) {
  int64_t count = 0;
  if (!TryStrToInt64(text, count) || count < 0 || count > kMaxStoredCount) return -1;
  return count;
}

std::string ClassNameOf(TComponent* component) {
  if (auto* control = dynamic_cast<TControl*>(component)) return control->ClassName();
  const TPublishedClass* table = component->PublishedClass();
  return table != nullptr ? table->ClassName : std::string();
}

}  // namespace

// --- TPropInfoList ------------------------------------------------------------------

TPropInfoList::TPropInfoList(TObject* object, TTypeKinds filter) : props_(GetSortedPropInfos(object, filter)) {}

const TPropInfo* TPropInfoList::Find(std::string_view name) const {
  for (const TPropInfo* p : props_)
    if (SameText(p->Name, name)) return p;
  return nullptr;
}

// --- stored items ---------------------------------------------------------------------

bool SplitStoredItem(std::string_view item, std::string& component, std::string& property) {
  const size_t dot = item.find('.');
  if (dot == std::string_view::npos) return false;
  component = Trim(item.substr(0, dot));
  property = Trim(item.substr(dot + 1));
  return !component.empty() && !property.empty();
}

std::string JoinStoredItem(std::string_view component, std::string_view property) {
  if (component.empty() || property.empty()) return std::string();
  return std::string(component) + "." + std::string(property);
}

std::string RenameStoredItem(std::string_view item, std::string_view newComponent) {
  std::string component, property;
  if (!SplitStoredItem(item, component, property)) return std::string();
  return JoinStoredItem(newComponent, property);
}

void ResolveStoredItems(TComponent* root, TStrings& items, bool loading) {
  for (int i = items.Count() - 1; i >= 0; --i) {
    std::string component, property;
    if (!SplitStoredItem(items.Get(i), component, property)) {
      items.Delete(i);
      continue;
    }
    if (loading) {
      TComponent* found = root != nullptr ? root->FindComponent(component) : nullptr;
      if (found == nullptr) items.Delete(i);
      else items.PutObject(i, found);
      continue;
    }
    auto* object = dynamic_cast<TComponent*>(items.GetObject(i));
    if (object == nullptr) {
      items.Delete(i);
      continue;
    }
    items.Put(i, JoinStoredItem(object->Name(), property));
    items.PutObject(i, object);
  }
}

TComponent* FindScreenComponent(std::string_view name) {
  if (Application == nullptr) return nullptr;
  for (int i = 0; i < Application->ComponentCount(); ++i) {
    TComponent* c = Application->Components(i);
    if (dynamic_cast<TCustomForm*>(c) != nullptr && SameText(c->Name(), name)) return c;
  }
  return nullptr;
}

// --- TPropsStorage ----------------------------------------------------------------------

std::string TPropsStorage::ReadString(const std::string& section, const std::string& ident,
                                      const std::string& fallback) {
  return OnReadString ? OnReadString(section, ident, fallback) : std::string();
}

void TPropsStorage::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  if (OnWriteString) OnWriteString(section, ident, value);
}

void TPropsStorage::EraseSection(const std::string& section) {
  if (OnEraseSection) OnEraseSection(section);
}

TPropsStorage* TPropsStorage::Nested(TObject* target, const std::string& prefix, const std::string& section) const {
  TPropsStorage* nested = NewStorage();
  nested->Target = target;
  nested->Owner = Owner;
  nested->Prefix = prefix;
  nested->Section = section;
  nested->OnReadString = OnReadString;
  nested->OnWriteString = OnWriteString;
  nested->OnEraseSection = OnEraseSection;
  return nested;
}

void TPropsStorage::SaveListedProperties(TComponent* root, TStrings& items) {
  ForListedProperties(root, items, &TPropsStorage::SaveProperty);
}

void TPropsStorage::LoadListedProperties(TComponent* root, TStrings& items) {
  ForListedProperties(root, items, &TPropsStorage::LoadProperty);
}

void TPropsStorage::ForListedProperties(TComponent* root, TStrings& items,
                                        void (TPropsStorage::*handle)(const TPropInfo&)) {
  ResolveStoredItems(root, items, true);
  // Each component's descriptors once, however many of its properties are
  // listed.
  std::vector<std::pair<TComponent*, std::unique_ptr<TPropInfoList>>> lists;
  for (int i = 0; i < items.Count(); ++i) {
    auto* component = static_cast<TComponent*>(items.GetObject(i));
    auto known = [component](const auto& entry) { return entry.first == component; };
    if (std::find_if(lists.begin(), lists.end(), known) == lists.end())
      lists.emplace_back(component, std::make_unique<TPropInfoList>(component, tkProperties));
  }
  Owner = root;
  try {
    for (int i = 0; i < items.Count(); ++i) {
      std::string componentName, property;
      if (!SplitStoredItem(items.Get(i), componentName, property)) continue;
      auto* component = static_cast<TComponent*>(items.GetObject(i));
      auto entry = std::find_if(lists.begin(), lists.end(),
                                [component](const auto& e) { return e.first == component; });
      Target = component;
      Prefix = component->Name() + "_";
      if (const TPropInfo* prop = entry->second->Find(property)) (this->*handle)(*prop);
    }
  } catch (...) {
    Owner = nullptr;
    throw;
  }
  Owner = nullptr;
}

std::string TPropsStorage::ComponentText(TComponent* component) const {
  if (component == nullptr) return kNull;
  TComponent* owner = component->Owner();
  if (owner == nullptr || owner == Owner) return component->Name();
  std::string ownerName = owner->Name();
  if (ownerName.empty()) {
    ownerName = ClassNameOf(owner);
    if (!ownerName.empty() && ownerName[0] == 'T') ownerName.erase(0, 1);
  }
  return ownerName + "." + component->Name();
}

std::string TPropsStorage::PropertyText(const TPropInfo& prop) {
  switch (prop.Kind) {
    case tkInteger:
    case tkInt64:
      return IntToStr(GetOrdProp(Target, prop));
    case tkChar:
      return std::string(1, static_cast<char>(GetOrdProp(Target, prop)));
    case tkWChar:
      return WideToMultiByte(std::wstring(1, static_cast<wchar_t>(GetOrdProp(Target, prop))));
    case tkEnumeration:
      return GetEnumName(prop, GetOrdProp(Target, prop));
    case tkFloat:
      return FloatText(GetFloatProp(Target, prop), prop.FloatType);
    case tkString:
    case tkLString:
    case tkVariant:
      return GetStrProp(Target, prop);
    case tkSet: {
      const int64_t members = GetOrdProp(Target, prop);
      std::string text;
      for (size_t i = 0; i < prop.Identifiers.size() && i < 32; ++i)
        if (members & (int64_t{1} << i)) text += (text.empty() ? "" : ",") + std::string(prop.Identifiers[i]);
      return "[" + text + "]";
    }
    case tkClass: {
      TObject* object = GetObjectProp(Target, prop);
      if (dynamic_cast<TStrings*>(object) != nullptr || dynamic_cast<TCollection*>(object) != nullptr)
        return std::string();
      if (auto* component = dynamic_cast<TComponent*>(object)) return ComponentText(component);
      if (object == nullptr) return kNull;
      return std::string();
    }
    default:
      return std::string();
  }
}

void TPropsStorage::SaveProperty(const TPropInfo& prop) {
  if (prop.Kind == tkClass) {
    TObject* object = GetObjectProp(Target, prop);
    if (auto* list = dynamic_cast<TStrings*>(object)) return SaveStrings(prop, *list);
    if (auto* collection = dynamic_cast<TCollection*>(object)) return SaveCollection(prop, *collection);
    if (object != nullptr && dynamic_cast<TComponent*>(object) == nullptr) {
      SaveObject(object, ValueName(prop.Name), Section);
      return;
    }
  }
  switch (prop.Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkFloat:
    case tkInt64:
    case tkString:
    case tkLString:
    case tkVariant:
    case tkSet:
    case tkClass:
      break;
    default:
      return;  // wide strings, methods, arrays, records: not kept as text
  }
  const std::string text = Trim(PropertyText(prop));
  const bool writeEmpty = prop.Kind == tkString || prop.Kind == tkChar || prop.Kind == tkWChar ||
                          prop.Kind == tkLString;
  if (!text.empty() || writeEmpty) WriteString(Section, ValueName(prop.Name), text);
}

void TPropsStorage::LoadProperty(const TPropInfo& prop) {
  try {
    if (prop.Kind == tkClass) {
      TObject* object = GetObjectProp(Target, prop);
      // The kind of object is decided from the current one: nothing to
      // decide by without one.
      if (object == nullptr) return;
      if (auto* list = dynamic_cast<TStrings*>(object)) return LoadStrings(prop, *list);
      if (auto* collection = dynamic_cast<TCollection*>(object)) return LoadCollection(prop, *collection);
      if (dynamic_cast<TComponent*>(object) == nullptr) return LoadObject(object, ValueName(prop.Name), Section);
    }
    const std::string current = prop.Kind == tkClass ? std::string() : PropertyText(prop);
    const bool readEmpty = prop.Kind == tkString || prop.Kind == tkClass || prop.Kind == tkWChar ||
                           prop.Kind == tkLString;
    if (current.empty() && !readEmpty) return;
    ApplyText(prop, Trim(ReadString(Section, ValueName(prop.Name), current)));
  } catch (const Exception&) {
    // One unreadable value costs that property only.
  }
}

void TPropsStorage::ApplyText(const TPropInfo& prop, const std::string& text) {
  switch (prop.Kind) {
    case tkInteger:
    case tkInt64: {
      int64_t value = 0;
      if (TryStrToInt64(text, value)) SetOrdProp(Target, prop, value);
      return;
    }
    case tkChar:
      if (!text.empty()) SetOrdProp(Target, prop, static_cast<unsigned char>(text[0]));
      return;
    case tkWChar: {
      const std::wstring wide = MultiByteToWide(text);
      if (!wide.empty()) SetOrdProp(Target, prop, static_cast<uint16_t>(wide[0]));
      return;
    }
    case tkEnumeration: {
      const int value = GetEnumValue(prop, text);
      if (value >= 0) SetOrdProp(Target, prop, value);
      return;
    }
    case tkFloat: {
      double value = 0;
      if (TryStrToFloat(text, value)) SetFloatProp(Target, prop, value);
      return;
    }
    case tkString:
    case tkLString:
    case tkVariant:
      SetStrProp(Target, prop, text);
      return;
    case tkSet: {
      int64_t members = 0;
      for (int n = 1, count = WordCount(text, kSetDelimiters); n <= count; ++n) {
        const int value = GetEnumValue(prop, ExtractWord(n, text, kSetDelimiters));
        if (value >= 0 && value < 32) members |= int64_t{1} << value;
      }
      SetOrdProp(Target, prop, members);
      return;
    }
    case tkClass:
      ApplyComponentText(prop, text);
      return;
    default:
      return;
  }
}

void TPropsStorage::ApplyComponentText(const TPropInfo& prop, const std::string& text) {
  if (text.empty()) return;
  if (SameText(text, kNull)) {
    SetObjectProp(Target, prop, nullptr);
    return;
  }
  const size_t dot = text.find('.');
  TComponent* root = Owner;
  std::string name = text;
  if (dot != std::string::npos) {
    if (TComponent* named = FindScreenComponent(text.substr(0, dot))) root = named;
    name = text.substr(dot + 1);
  }
  SetObjectProp(Target, prop, root != nullptr ? root->FindComponent(name) : nullptr);
}

std::string TPropsStorage::ListSection(const TPropInfo& prop) const { return Section + "." + ValueName(prop.Name); }

void TPropsStorage::SaveStrings(const TPropInfo& prop, TStrings& list) {
  const std::string section = ListSection(prop);
  EraseSection(section);
  if (list.Count() == 0) return;
  WriteString(section, "Count", IntToStr(list.Count()));
  for (int i = 0; i < list.Count(); ++i) WriteString(section, "Item" + IntToStr(i), list.Get(i));
}

void TPropsStorage::LoadStrings(const TPropInfo& prop, TStrings& list) {
  const std::string section = ListSection(prop);
  const int64_t count = StoredCount(ReadString(section, "Count", "0"));
  if (count <= 0) return;
  TStringList lines;
  for (int64_t i = 0; i < count; ++i) lines.Add(ReadString(section, "Item" + IntToStr(i), ""));
  list.Assign(&lines);
}

void TPropsStorage::SaveObject(TObject* object, const std::string& prefix, const std::string& section) {
  std::unique_ptr<TPropsStorage> nested(Nested(object, prefix, section));
  for (const TPropInfo* p : GetSortedPropInfos(object, tkProperties)) nested->SaveProperty(*p);
}

void TPropsStorage::LoadObject(TObject* object, const std::string& prefix, const std::string& section) {
  std::unique_ptr<TPropsStorage> nested(Nested(object, prefix, section));
  for (const TPropInfo* p : GetSortedPropInfos(object, tkProperties)) nested->LoadProperty(*p);
}

void TPropsStorage::SaveCollection(const TPropInfo& prop, TCollection& collection) {
  const std::string section = ListSection(prop);
  EraseSection(section);
  WriteString(section, "Count", IntToStr(collection.Count()));
  for (int i = 0; i < collection.Count(); ++i)
    SaveObject(collection.Items(i), "Item" + IntToStr(i) + "_", section);
}

void TPropsStorage::LoadCollection(const TPropInfo& prop, TCollection& collection) {
  const std::string section = ListSection(prop);
  const int64_t count = StoredCount(ReadString(section, "Count", IntToStr(collection.Count())));
  if (count < 0) return;
  collection.BeginUpdate();
  try {
    if (count != collection.Count()) {
      collection.Clear();
      for (int64_t i = 0; i < count; ++i) collection.Add();
    }
    for (int i = 0; i < collection.Count(); ++i)
      LoadObject(collection.Items(i), "Item" + IntToStr(i) + "_", section);
  } catch (...) {
    collection.EndUpdate();
    throw;
  }
  collection.EndUpdate();
}

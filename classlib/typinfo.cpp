#include "classlib/typinfo.h"

#include <algorithm>

#include "classlib/strutils.h"

const char* const kBooleanIdentifiers[2] = {"False", "True"};

namespace {

const TPublishedClass* ClassTable(TObject* object) {
  auto* persistent = dynamic_cast<TPersistent*>(object);
  return persistent != nullptr ? persistent->PublishedClass() : nullptr;
}

[[noreturn]] void NoAccess(const TPropInfo& prop, const char* what) {
  throw EPropertyError(std::string("Property ") + prop.Name + " " + what);
}

}  // namespace

std::vector<const TPropInfo*> GetPropInfos(TObject* object, TTypeKinds kinds) {
  std::vector<const TPublishedClass*> chain;
  for (const TPublishedClass* c = ClassTable(object); c != nullptr; c = c->Parent) chain.push_back(c);
  std::vector<const TPropInfo*> result;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const TPropInfo& p : (*it)->Properties)
      if (kinds & TypeKindBit(p.Kind)) result.push_back(&p);
  return result;
}

std::vector<const TPropInfo*> GetSortedPropInfos(TObject* object, TTypeKinds kinds) {
  std::vector<const TPropInfo*> result = GetPropInfos(object, kinds);
  std::stable_sort(result.begin(), result.end(),
                   [](const TPropInfo* a, const TPropInfo* b) { return CompareText(a->Name, b->Name) < 0; });
  return result;
}

const TPropInfo* GetPropInfo(TObject* object, std::string_view name) {
  // A derived class's property hides an ancestor's of the same name.
  for (const TPublishedClass* c = ClassTable(object); c != nullptr; c = c->Parent)
    for (const TPropInfo& p : c->Properties)
      if (SameText(p.Name, name)) return &p;
  return nullptr;
}

int64_t GetOrdProp(TObject* object, const TPropInfo& prop) {
  if (prop.GetOrd == nullptr) NoAccess(prop, "is not an ordinal");
  return prop.GetOrd(object);
}

void SetOrdProp(TObject* object, const TPropInfo& prop, int64_t value) {
  if (prop.SetOrd == nullptr) NoAccess(prop, prop.GetOrd ? "is read-only" : "is not an ordinal");
  prop.SetOrd(object, value);
}

double GetFloatProp(TObject* object, const TPropInfo& prop) {
  if (prop.GetFloat == nullptr) NoAccess(prop, "is not a number");
  return prop.GetFloat(object);
}

void SetFloatProp(TObject* object, const TPropInfo& prop, double value) {
  if (prop.SetFloat == nullptr) NoAccess(prop, prop.GetFloat ? "is read-only" : "is not a number");
  prop.SetFloat(object, value);
}

std::string GetStrProp(TObject* object, const TPropInfo& prop) {
  if (prop.GetStr == nullptr) NoAccess(prop, "is not a string");
  return prop.GetStr(object);
}

void SetStrProp(TObject* object, const TPropInfo& prop, const std::string& value) {
  if (prop.SetStr == nullptr) NoAccess(prop, prop.GetStr ? "is read-only" : "is not a string");
  prop.SetStr(object, value);
}

std::wstring GetWideStrProp(TObject* object, const TPropInfo& prop) {
  if (prop.GetWStr == nullptr) NoAccess(prop, "is not a wide string");
  return prop.GetWStr(object);
}

void SetWideStrProp(TObject* object, const TPropInfo& prop, const std::wstring& value) {
  if (prop.SetWStr == nullptr) NoAccess(prop, prop.GetWStr ? "is read-only" : "is not a wide string");
  prop.SetWStr(object, value);
}

TObject* GetObjectProp(TObject* object, const TPropInfo& prop) {
  if (prop.GetObj == nullptr) NoAccess(prop, "is not an object");
  return prop.GetObj(object);
}

void SetObjectProp(TObject* object, const TPropInfo& prop, TObject* value) {
  if (prop.SetObj == nullptr) NoAccess(prop, prop.GetObj ? "is read-only" : "is not an object");
  prop.SetObj(object, value);
}

bool IsStoredProp(TObject* object, const TPropInfo& prop) {
  return prop.Stored == nullptr || prop.Stored(object);
}

std::string GetEnumName(const TPropInfo& prop, int64_t value) {
  if (value < 0 || static_cast<uint64_t>(value) >= prop.Identifiers.size()) return std::string();
  return prop.Identifiers[static_cast<size_t>(value)];
}

int GetEnumValue(const TPropInfo& prop, std::string_view name) {
  for (size_t i = 0; i < prop.Identifiers.size(); ++i)
    if (SameText(prop.Identifiers[i], name)) return static_cast<int>(i);
  return -1;
}

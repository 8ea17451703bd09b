// Published properties as text and back: TPropsStorage writes and reads the
// properties of an object through three events (read a string, write a
// string, erase a section), so the same code serves the registry and
// settings files. Stored items name a property of a form's component as
// "component.property".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "classlib/object.h"
#include "classlib/typinfo.h"

class TComponent;
class TStrings;

// The published properties of an object whose kind is in a filter, sorted
// by name.
class TPropInfoList : public TObject {
public:
  TPropInfoList(TObject* object, TTypeKinds filter);
  int Count() const { return static_cast<int>(props_.size()); }
  const TPropInfo* Items(int index) const { return props_.at(static_cast<size_t>(index)); }
  // By name, ASCII case ignored; nullptr when absent.
  const TPropInfo* Find(std::string_view name) const;

private:
  std::vector<const TPropInfo*> props_;
};

// "component.property" split at its first "." with both parts trimmed;
// false unless both are non-empty.
bool SplitStoredItem(std::string_view item, std::string& component, std::string& property);
// "component.property", or "" when either is empty.
std::string JoinStoredItem(std::string_view component, std::string_view property);
// The item with another component, or "" when it does not split.
std::string RenameStoredItem(std::string_view item, std::string_view newComponent);
// From the last item to the first: an item that does not split goes.
// Loading, each item's object becomes the component of root it names (or
// the item goes); saving, an item takes its object's present name (or goes
// without one).
void ResolveStoredItems(TComponent* root, TStrings& items, bool loading);
// The program's form of that name (case ignored), or nullptr.
TComponent* FindScreenComponent(std::string_view name);

using TReadStrEvent =
    std::function<std::string(const std::string& section, const std::string& ident, const std::string& fallback)>;
using TWriteStrEvent =
    std::function<void(const std::string& section, const std::string& ident, const std::string& value)>;
using TEraseSectEvent = std::function<void(const std::string& section)>;

class TPropsStorage : public TObject {
public:
  // The object whose properties are handled.
  TObject* Target = nullptr;
  // The form that component references are resolved in, during a listed
  // save or load.
  TComponent* Owner = nullptr;
  // Put before every property name to make a value name.
  std::string Prefix;
  std::string Section;
  TReadStrEvent OnReadString;
  TWriteStrEvent OnWriteString;
  TEraseSectEvent OnEraseSection;

  virtual std::string ReadString(const std::string& section, const std::string& ident, const std::string& fallback);
  virtual void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  virtual void EraseSection(const std::string& section);
  virtual std::string ValueName(const std::string& propertyName) const { return Prefix + propertyName; }
  virtual TPropsStorage* NewStorage() const { return new TPropsStorage; }

  // Each stored item's property of root's components; items that do not
  // resolve are dropped, properties that do not exist skipped.
  void SaveListedProperties(TComponent* root, TStrings& items);
  void LoadListedProperties(TComponent* root, TStrings& items);
  // One property of Target. Loading a value that does not fit the property
  // (not a number, no such identifier) leaves it as it was.
  void SaveProperty(const TPropInfo& prop);
  void LoadProperty(const TPropInfo& prop);

private:
  // Walks the listed items, handling each property with handle.
  void ForListedProperties(TComponent* root, TStrings& items, void (TPropsStorage::*handle)(const TPropInfo&));
  // A storage for a nested object, writing through the same events.
  TPropsStorage* Nested(TObject* target, const std::string& prefix, const std::string& section) const;
  std::string PropertyText(const TPropInfo& prop);
  void ApplyText(const TPropInfo& prop, const std::string& text);
  std::string ComponentText(TComponent* component) const;
  void ApplyComponentText(const TPropInfo& prop, const std::string& text);
  std::string ListSection(const TPropInfo& prop) const;
  void SaveStrings(const TPropInfo& prop, TStrings& list);
  void LoadStrings(const TPropInfo& prop, TStrings& list);
  void SaveObject(TObject* object, const std::string& prefix, const std::string& section);
  void LoadObject(TObject* object, const std::string& prefix, const std::string& section);
  void SaveCollection(const TPropInfo& prop, class TCollection& collection);
  void LoadCollection(const TPropInfo& prop, class TCollection& collection);
};

// Form storage: the form placement plus chosen published properties of the
// form's components (StoredProps, "component.property" each) and named free
// values (StoredValues), saved and restored with the placement in its
// section. The value of "pLeft.Width" is named "pLeft_Width".
#pragma once

#include <functional>
#include <string>

#include "classlib/collection.h"
#include "classlib/variant.h"
#include "components/formplacement.h"

class TStringList;
class TStrings;
class TStoredValue;

using TStoredValueEvent = std::function<void(TStoredValue* Sender, Variant& Value)>;

class TStoredValue : public TCollectionItem {
public:
  explicit TStoredValue(TCollection* collection) : TCollectionItem(collection) {}

  const std::string& Name() const { return name_; }
  // A name another value of the collection has (case ignored) raises
  // EStringListError.
  void SetName(const std::string& value);
  const Variant& Value() const { return value_; }
  void SetValue(const Variant& value) { value_ = value; }
  // The value's text as a variant, for the property table.
  std::string ValueText() const { return value_.AsString(); }
  void SetValueText(const std::string& value) { value_ = Variant(value); }
  // With a key the text is enciphered (XorEncode) before it is written.
  const std::string& KeyString() const { return keyString_; }
  void SetKeyString(const std::string& value) { keyString_ = value; }
  void Clear() { value_ = Variant(); }

  // Through the storage that owns the collection, in its section.
  void Save();
  void Restore();

  TStoredValueEvent OnSave;
  TStoredValueEvent OnRestore;

  void Assign(TPersistent* source) override;
  std::string DisplayName() const override { return name_.empty() ? TCollectionItem::DisplayName() : name_; }
  const char* ClassName() const override { return "TStoredValue"; }
  static const TPublishedClass* StaticPublishedClass();
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }

private:
  TFormPlacement* Storage() const;

  std::string name_;
  Variant value_;
  std::string keyString_;
};

class TStoredValues : public TOwnedCollection {
public:
  explicit TStoredValues(TPersistent* owner);
  TStoredValue* Items(int index) const { return static_cast<TStoredValue*>(TCollection::Items(index)); }
  TStoredValue* Add() { return static_cast<TStoredValue*>(TCollection::Add()); }
  // The first value of that name (the user's locale, case ignored), or -1.
  int IndexOf(const std::string& name) const;
  void SaveValues();
  void RestoreValues();
};

class TFormStorage : public TFormPlacement {
public:
  explicit TFormStorage(TComponent* owner);
  ~TFormStorage() override;
  // The placement's Loaded, then the stored items resolved to the form's
  // components (items that name none are dropped).
  void Loaded() override;

  TStrings* StoredProps() const;
  void SetStoredProps(TStrings* value);
  TStoredValues* StoredValues() const { return storedValues_; }
  void SetStoredValues(TStoredValues* value) { storedValues_->Assign(value); }

  virtual void SaveUserProps();
  virtual void RestoreUserProps();

  static const TPublishedClass* StaticPublishedClass();
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }

protected:
  void SavePlacement() override;
  void RestorePlacement() override;
  void Notification(TComponent* component, TOperation operation) override;

private:
  void WatchStoredComponents();

  TStringList* storedProps_;
  TStoredValues* storedValues_;
};

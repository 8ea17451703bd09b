#include "components/formstorage.h"

#include "classlib/stringlist.h"
#include "classlib/strutils.h"
#include "classlib/typinfo.h"
#include "components/propsstorage.h"
#include "components/utilities.h"

// --- TStoredValue ----------------------------------------------------------------

void TStoredValue::SetName(const std::string& value) {
  auto* values = dynamic_cast<TStoredValues*>(Collection());
  if (!value.empty() && !AnsiSameText(value, name_) && values != nullptr && values->IndexOf(value) >= 0)
    throw EStringListError("String list does not allow duplicates");
  name_ = value;
}

TFormPlacement* TStoredValue::Storage() const {
  return Collection() != nullptr ? dynamic_cast<TFormPlacement*>(Collection()->Owner()) : nullptr;
}

void TStoredValue::Save() {
  TFormPlacement* storage = Storage();
  if (storage == nullptr) return;
  Variant value = value_;
  if (OnSave) OnSave(this, value);
  std::string text = value.AsString();
  if (!keyString_.empty()) text = XorEncode(keyString_, text);
  storage->WriteString(name_, text);
}

void TStoredValue::Restore() {
  TFormPlacement* storage = Storage();
  if (storage == nullptr) return;
  std::string fallback = value_.AsString();
  if (!keyString_.empty()) fallback = XorEncode(keyString_, fallback);
  std::string text = storage->ReadString(name_, fallback);
  if (!keyString_.empty()) text = XorDecode(keyString_, text);
  Variant value(text);
  if (OnRestore) OnRestore(this, value);
  value_ = value;
}

void TStoredValue::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TStoredValue*>(source);
  if (other == nullptr) {
    TCollectionItem::Assign(source);
    return;
  }
  value_ = other->value_;
  SetName(other->name_);
  keyString_ = other->keyString_;
}

const TPublishedClass* TStoredValue::StaticPublishedClass() {
  static const TPropInfo properties[] = {
      StringProperty<&TStoredValue::Name, &TStoredValue::SetName>("Name"),
      StringProperty<&TStoredValue::ValueText, &TStoredValue::SetValueText>("Value", tkVariant),
      StringProperty<&TStoredValue::KeyString, &TStoredValue::SetKeyString>("KeyString"),
  };
  static const TPublishedClass table{"TStoredValue", nullptr, properties};
  return &table;
}

// --- TStoredValues ----------------------------------------------------------------

TStoredValues::TStoredValues(TPersistent* owner)
    : TOwnedCollection(owner, [](TCollection* c) -> TCollectionItem* { return new TStoredValue(c); }) {}

int TStoredValues::IndexOf(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (AnsiSameText(Items(i)->Name(), name)) return i;
  return -1;
}

void TStoredValues::SaveValues() {
  for (int i = 0; i < Count(); ++i) Items(i)->Save();
}

void TStoredValues::RestoreValues() {
  for (int i = 0; i < Count(); ++i) Items(i)->Restore();
}

// --- TFormStorage -----------------------------------------------------------------

TFormStorage::TFormStorage(TComponent* owner)
    : TFormPlacement(owner), storedProps_(new TStringList), storedValues_(new TStoredValues(this)) {}

TFormStorage::~TFormStorage() {
  Destroying();
  delete storedProps_;
  storedProps_ = nullptr;
  delete storedValues_;
  storedValues_ = nullptr;
}

TStrings* TFormStorage::StoredProps() const { return storedProps_; }

void TFormStorage::SetStoredProps(TStrings* value) {
  storedProps_->Assign(value);
  WatchStoredComponents();
}

void TFormStorage::WatchStoredComponents() {
  for (int i = 0; i < storedProps_->Count(); ++i)
    if (auto* component = dynamic_cast<TComponent*>(storedProps_->GetObject(i))) component->FreeNotification(this);
}

void TFormStorage::Loaded() {
  TFormPlacement::Loaded();
  ResolveStoredItems(Form(), *storedProps_, true);
  WatchStoredComponents();
}

void TFormStorage::Notification(TComponent* component, TOperation operation) {
  TFormPlacement::Notification(component, operation);
  if (operation != opRemove || HasState(csDestroying) || storedProps_ == nullptr) return;
  for (int i = storedProps_->Count() - 1; i >= 0; --i)
    if (storedProps_->GetObject(i) == component) storedProps_->Delete(i);
}

void TFormStorage::SaveUserProps() {
  TPropsStorage storage;
  storage.Section = IniSection();
  storage.OnWriteString = [this](const std::string& section, const std::string& ident, const std::string& value) {
    DoWriteString(section, ident, value);
  };
  storage.OnEraseSection = [this](const std::string& section) { EraseSettingsSection(section); };
  storage.SaveListedProperties(Form(), *storedProps_);
}

void TFormStorage::RestoreUserProps() {
  TPropsStorage storage;
  storage.Section = IniSection();
  storage.OnReadString = [this](const std::string& section, const std::string& ident, const std::string& fallback) {
    return DoReadString(section, ident, fallback);
  };
  storage.LoadListedProperties(Form(), *storedProps_);
}

void TFormStorage::SavePlacement() {
  TFormPlacement::SavePlacement();
  SaveUserProps();
  storedValues_->SaveValues();
}

void TFormStorage::RestorePlacement() {
  TFormPlacement::RestorePlacement();
  restored_ = true;
  RestoreUserProps();
  storedValues_->RestoreValues();
}

const TPublishedClass* TFormStorage::StaticPublishedClass() {
  static const TPropInfo properties[] = {
      ObjectProperty<&TFormStorage::StoredProps, &TFormStorage::SetStoredProps>("StoredProps"),
      ObjectProperty<&TFormStorage::StoredValues, &TFormStorage::SetStoredValues>("StoredValues"),
  };
  static const TPublishedClass table{"TFormStorage", TFormPlacement::StaticPublishedClass(), properties};
  return &table;
}

#include "classlib/component.h"

#include <algorithm>

#include "classlib/list.h"
#include "classlib/strutils.h"
#include "classlib/typinfo.h"

namespace {
void Erase(std::vector<TComponent*>& v, TComponent* c) {
  auto it = std::find(v.begin(), v.end(), c);
  if (it != v.end()) v.erase(it);
}
}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Those that asked are told first, while this component's own parts stand.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    Erase(other->freeNotifies_, this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_ != nullptr) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) RaiseListIndexError(index);
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (owner_ == nullptr) return -1;
  auto& siblings = owner_->components_;
  auto it = std::find(siblings.begin(), siblings.end(), this);
  return it == siblings.end() ? -1 : static_cast<int>(it - siblings.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && owner_ != nullptr) {
    TComponent* other = owner_->FindComponent(name);
    if (other != nullptr && other != this)
      throw EComponentError("A component named " + name + " already exists");
  }
  name_ = name;
}

void TComponent::FreeNotification(TComponent* component) {
  if (component == nullptr || component == this) return;
  // Both sides keep the link so whichever dies first can undo it.
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
    freeNotifies_.push_back(component);
  if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this) ==
      component->freeNotifies_.end())
    component->freeNotifies_.push_back(this);
  state_ |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (component == nullptr) return;
  Erase(freeNotifies_, component);
  Erase(component->freeNotifies_, this);
}

void TComponent::InsertComponent(TComponent* component) {
  if (component == nullptr) return;
  if (!component->name_.empty() && FindComponent(component->name_) != nullptr)
    throw EComponentError("A component named " + component->name_ + " already exists");
  if (component->owner_ != nullptr) component->owner_->RemoveComponent(component);
  Insert(component);
  NotifyFamily(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component == nullptr || component->owner_ != this) return;
  NotifyFamily(component, opRemove);
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  Erase(components_, component);
  component->owner_ = nullptr;
}

void TComponent::NotifyFamily(TComponent* component, TOperation operation) {
  // The owner and all its components hear of it, as Notification forwards.
  Notification(component, operation);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    Remove(c);
    delete c;
  }
}

void TComponent::Destroying() {
  if (state_ & csDestroying) return;
  state_ |= csDestroying;
  for (TComponent* c : components_) c->Destroying();
}

const TPublishedClass* TComponent::StaticPublishedClass() {
  static const TPropInfo properties[] = {
      StringProperty<&TComponent::Name, &TComponent::SetName>("Name"),
      IntegerProperty<&TComponent::Tag, &TComponent::Tag>("Tag", 0),
  };
  static const TPublishedClass table{"TComponent", nullptr, properties};
  return &table;
}

void TComponent::Loaded() { state_ &= ~static_cast<uint32_t>(csLoading); }

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component != nullptr) RemoveFreeNotification(component);
  // Copy: a handler may remove components while we walk.
  std::vector<TComponent*> family = components_;
  for (TComponent* c : family)
    if (c != component && std::find(components_.begin(), components_.end(), c) != components_.end())
      c->Notification(component, operation);
}

void TComponent::SetComponentState(uint32_t flags, bool on) {
  if (on) state_ |= flags;
  else state_ &= ~flags;
}

// --- TComponentList --------------------------------------------------------

void TRemovalWatcher::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && removed_) removed_(component);
}

TComponentList::TComponentList(bool ownsObjects)
    : ownsObjects_(ownsObjects), watcher_(new TRemovalWatcher([this](TComponent* c) { Forget(c); })) {}

TComponentList::~TComponentList() {
  Clear();
  delete watcher_;
}

TComponent* TComponentList::Items(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  return items_[static_cast<size_t>(index)];
}

int TComponentList::Add(TComponent* component) {
  Insert(Count(), component);
  return Count() - 1;
}

void TComponentList::Insert(int index, TComponent* component) {
  if (index < 0 || index > Count()) RaiseListIndexError(index);
  items_.insert(items_.begin() + index, component);
  if (component != nullptr) watcher_->FreeNotification(component);
}

int TComponentList::IndexOf(const TComponent* component) const {
  auto it = std::find(items_.begin(), items_.end(), component);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TComponent* TComponentList::Extract(TComponent* component) {
  int i = IndexOf(component);
  if (i < 0) return nullptr;
  items_.erase(items_.begin() + i);
  if (component != nullptr && IndexOf(component) < 0) watcher_->RemoveFreeNotification(component);
  return component;
}

void TComponentList::Delete(int index) {
  TComponent* c = Items(index);
  Extract(c);
  if (ownsObjects_ && c != nullptr && IndexOf(c) < 0) delete c;
}

int TComponentList::Remove(TComponent* component) {
  int i = IndexOf(component);
  if (i >= 0) Delete(i);
  return i;
}

void TComponentList::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
}

void TComponentList::Forget(TComponent* component) {
  items_.erase(std::remove(items_.begin(), items_.end(), component), items_.end());
}

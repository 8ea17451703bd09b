// Components: objects with an owner that frees them, names unique within
// the owner, free notification and a component state.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/object.h"

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : uint32_t {
  csLoading = 0x01,
  csReading = 0x02,
  csWriting = 0x04,
  csDestroying = 0x08,
  csDesigning = 0x10,
  csUpdating = 0x20,
  csFreeNotification = 0x40,
};

class TComponent : public TPersistent {
public:
  explicit TComponent(TComponent* owner);
  // Tells every component that asked for free notification, frees the owned
  // components (last first) and leaves the owner's list.
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  int ComponentIndex() const;
  TComponent* FindComponent(const std::string& name) const;

  const std::string& Name() const { return name_; }
  // Names are unique (case ignored) among an owner's components; a clash
  // raises EComponentError.
  void SetName(const std::string& name);

  uint32_t ComponentState() const { return state_; }
  bool HasState(uint32_t flags) const { return (state_ & flags) != 0; }

  // Asks for Notification(component, opRemove) when component is destroyed.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  void DestroyComponents();
  // Marks this component and everything it owns as being destroyed.
  void Destroying();

  // Called when loading has finished; clears csLoading.
  virtual void Loaded();

  // Publishes Name and Tag.
  static const TPublishedClass* StaticPublishedClass();
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }

  intptr_t Tag = 0;

protected:
  // The filers mark the components they read and write.
  friend class TReader;
  friend class TWriter;
  // Told that component was inserted into or removed from the owner's
  // family, or is being destroyed (free notification). The default forwards
  // opRemove to every owned component.
  virtual void Notification(TComponent* component, TOperation operation);
  void SetComponentState(uint32_t flags, bool on);

private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void NotifyFamily(TComponent* component, TOperation operation);

  TComponent* owner_ = nullptr;
  std::string name_;
  uint32_t state_ = 0;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
};

// Hears of the destruction of the components it asked free notification of
// (FreeNotification) and tells a callback.
class TRemovalWatcher : public TComponent {
public:
  explicit TRemovalWatcher(std::function<void(TComponent*)> removed)
      : TComponent(nullptr), removed_(std::move(removed)) {}

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  std::function<void(TComponent*)> removed_;
};

// A list of components that drops an entry when its component is destroyed;
// when it owns its objects, destroying the list destroys them.
class TComponentList : public TObject {
public:
  explicit TComponentList(bool ownsObjects = true);
  ~TComponentList() override;

  int Count() const { return static_cast<int>(items_.size()); }
  TComponent* Items(int index) const;
  int Add(TComponent* component);
  void Insert(int index, TComponent* component);
  int Remove(TComponent* component);
  TComponent* Extract(TComponent* component);
  void Delete(int index);
  int IndexOf(const TComponent* component) const;
  void Clear();
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }

private:
  void Forget(TComponent* component);

  std::vector<TComponent*> items_;
  bool ownsObjects_;
  TRemovalWatcher* watcher_;
};

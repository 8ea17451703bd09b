#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/component.h"

namespace {

// Records its destruction and every notification it receives.
class Probe : public TComponent {
public:
  Probe(TComponent* owner, std::string name, std::vector<std::string>& log)
      : TComponent(owner), log_(log) {
    SetName(name);
  }
  ~Probe() override { log_.push_back("destroy " + Name()); }

  std::vector<std::pair<TComponent*, TOperation>> notices;

protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    notices.emplace_back(component, operation);
  }

private:
  std::vector<std::string>& log_;
};

bool Heard(const Probe& p, TComponent* c, TOperation op) {
  for (auto& n : p.notices)
    if (n.first == c && n.second == op) return true;
  return false;
}

}  // namespace

TEST(Component, OwnerFreesItsComponentsLastFirst) {
  std::vector<std::string> log;
  auto* owner = new Probe(nullptr, "Owner", log);
  new Probe(owner, "A", log);
  new Probe(owner, "B", log);
  new Probe(owner, "C", log);
  EXPECT_EQ(owner->ComponentCount(), 3);
  delete owner;
  EXPECT_EQ(log, (std::vector<std::string>{"destroy Owner", "destroy C", "destroy B", "destroy A"}));
}

TEST(Component, ComponentFreedFirstLeavesItsOwnerAndTheFamilyHears) {
  std::vector<std::string> log;
  Probe owner(nullptr, "Owner", log);
  auto* a = new Probe(&owner, "A", log);
  auto* b = new Probe(&owner, "B", log);
  EXPECT_TRUE(Heard(*a, b, opInsert));  // siblings hear of a newcomer
  delete b;
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), a);
  EXPECT_EQ(a->ComponentIndex(), 0);
  EXPECT_TRUE(Heard(owner, b, opRemove));
  EXPECT_TRUE(Heard(*a, b, opRemove));
}

TEST(Component, FreeNotificationReachesAnUnrelatedComponentOnceAndIsUndoneByEitherSide) {
  std::vector<std::string> log;
  auto* watcher = new Probe(nullptr, "Watcher", log);
  auto* watched = new Probe(nullptr, "Watched", log);
  watched->FreeNotification(watcher);
  delete watched;
  EXPECT_TRUE(Heard(*watcher, watched, opRemove));

  // The watcher dies first: the watched one must not call it later.
  auto* other = new Probe(nullptr, "Other", log);
  other->FreeNotification(watcher);
  delete watcher;
  delete other;  // under ASan a call into the freed watcher would fail here
  EXPECT_EQ(log.back(), "destroy Other");
}

TEST(Component, NamesAreUniqueWithinAnOwnerWhateverTheirCase) {
  std::vector<std::string> log;
  Probe owner(nullptr, "Owner", log);
  auto* a = new Probe(&owner, "Button", log);
  EXPECT_EQ(owner.FindComponent("BUTTON"), a);
  EXPECT_EQ(owner.FindComponent("Missing"), nullptr);
  EXPECT_THROW(new Probe(&owner, "button", log), EComponentError);
  EXPECT_EQ(owner.ComponentCount(), 1);
  Probe loose(nullptr, "Button", log);  // no owner, no clash
  EXPECT_THROW(owner.InsertComponent(&loose), EComponentError);
}

TEST(Component, ListDropsDestroyedComponentsAndFreesWhatItOwns) {
  std::vector<std::string> log;
  auto* a = new Probe(nullptr, "A", log);
  auto* b = new Probe(nullptr, "B", log);
  {
    TComponentList list(true);
    list.Add(a);
    list.Add(b);
    delete a;
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(0), b);
  }
  EXPECT_EQ(log, (std::vector<std::string>{"destroy A", "destroy B"}));

  auto* c = new Probe(nullptr, "C", log);
  {
    TComponentList borrowed(false);
    borrowed.Add(c);
    EXPECT_EQ(borrowed.Extract(c), c);
    borrowed.Add(c);
  }
  EXPECT_EQ(log.back(), "destroy B");  // c survives a list that does not own it
  delete c;
}

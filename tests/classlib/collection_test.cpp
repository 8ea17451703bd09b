#include "classlib/collection.h"

#include <gtest/gtest.h>

#include "classlib/exceptions.h"
#include "classlib/variant.h"

namespace {

class Named : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  std::string Text;
  void Assign(TPersistent* source) override { Text = static_cast<Named*>(source)->Text; }
};

class Counted : public TCollection {
public:
  Counted() : TCollection([](TCollection* c) -> TCollectionItem* { return new Named(c); }) {}
  int changes = 0;

protected:
  void Changed() override { ++changes; }
};

}  // namespace

// Items join and leave their collection; a batch reports one change; a
// copy has as many items, each assigned from its counterpart.
TEST(Collection, ItemsKnowTheirPlaceAndCopiesAreDeep) {
  Counted c;
  auto* a = static_cast<Named*>(c.Add());
  auto* b = static_cast<Named*>(c.Add());
  a->Text = "a";
  b->Text = "b";
  EXPECT_EQ(b->Index(), 1);
  EXPECT_EQ(b->Collection(), &c);
  EXPECT_EQ(c.changes, 2);
  delete a;
  EXPECT_EQ(b->Index(), 0);
  EXPECT_THROW(c.Items(1), EListError);

  Counted copy;
  copy.Add();
  copy.Add();
  copy.changes = 0;
  copy.Assign(&c);
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_EQ(static_cast<Named*>(copy.Items(0))->Text, "b");
  EXPECT_NE(copy.Items(0), b);
  EXPECT_EQ(copy.changes, 1);

  b->SetCollection(&copy);
  EXPECT_EQ(c.Count(), 0);
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_EQ(b->DisplayName(), "TCollectionItem");
  TOwnedCollection owned(&c, [](TCollection* o) -> TCollectionItem* { return new Named(o); });
  EXPECT_EQ(owned.Owner(), &c);
}

TEST(Variant, TextOfEachKind) {
  EXPECT_TRUE(Variant().IsUnassigned());
  EXPECT_EQ(Variant().AsString(), "");
  EXPECT_EQ(Variant("x").AsString(), "x");
  EXPECT_EQ(Variant(int64_t{-42}).AsString(), "-42");
  EXPECT_EQ(Variant(2.5).AsString(), "2.5");
  EXPECT_EQ(Variant(true).AsString(), "True");
  EXPECT_NE(Variant("1"), Variant(int64_t{1}));
}

#include "components/propsstorage.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "classlib/collection.h"
#include "classlib/component.h"
#include "classlib/stringlist.h"

namespace {

const char* const kColors[] = {"clRed", "clGreen", "clBlue"};

class Item : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  int Size() const { return size_; }
  void SetSize(int v) { size_ = v; }
  static const TPublishedClass* StaticPublishedClass() {
    static const TPropInfo properties[] = {IntegerProperty<&Item::Size, &Item::SetSize>("Size")};
    static const TPublishedClass table{"TItem", nullptr, properties};
    return &table;
  }
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }

private:
  int size_ = 0;
};

// A component publishing a property of each kind storage handles.
class Settings : public TComponent {
public:
  explicit Settings(TComponent* owner) : TComponent(owner) {}
  ~Settings() override { delete lines_; delete items_; }

  int Width = 10;
  int Color = 0;
  uint32_t Colors = 0;
  double Ratio = 0.5;
  std::string Title = "none";
  char Letter = 'a';
  TComponent* Buddy = nullptr;
  TStringList* Lines() const { return lines_; }
  void SetLines(TStrings* v) { lines_->Assign(v); }
  TCollection* Items() const { return items_; }
  void SetItems(TCollection* v) { items_->Assign(v); }

  static const TPublishedClass* StaticPublishedClass() {
    static const TPropInfo properties[] = {
        IntegerProperty<&Settings::Width, &Settings::Width>("Width"),
        EnumProperty<&Settings::Color, &Settings::Color>("Color", kColors),
        SetProperty<&Settings::Colors, &Settings::Colors>("Colors", kColors),
        FloatProperty<&Settings::Ratio, &Settings::Ratio>("Ratio"),
        StringProperty<&Settings::Title, &Settings::Title>("Title"),
        CharProperty<&Settings::Letter, &Settings::Letter>("Letter"),
        ObjectProperty<&Settings::Buddy, &Settings::Buddy>("Buddy"),
        ObjectProperty<&Settings::Lines, &Settings::SetLines>("Lines"),
        ObjectProperty<&Settings::Items, &Settings::SetItems>("Items"),
    };
    static const TPublishedClass table{"TSettings", TComponent::StaticPublishedClass(), properties};
    return &table;
  }
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }

private:
  TStringList* lines_ = new TStringList;
  TCollection* items_ = new TCollection([](TCollection* c) -> TCollectionItem* { return new Item(c); });
};

// A store of sections in memory behind the storage's three events.
class StorageTest : public testing::Test {
protected:
  void SetUp() override {
    root.SetName("Form1");
    settings = new Settings(&root);
    settings->SetName("Settings1");
    other = new TComponent(&root);
    other->SetName("Other");
    storage.Section = "Place";
    storage.OnWriteString = [this](const std::string& s, const std::string& i, const std::string& v) { values[s][i] = v; };
    storage.OnReadString = [this](const std::string& s, const std::string& i, const std::string& fallback) {
      auto sec = values.find(s);
      if (sec == values.end()) return fallback;
      auto it = sec->second.find(i);
      return it == sec->second.end() ? fallback : it->second;
    };
    storage.OnEraseSection = [this](const std::string& s) { values.erase(s); };
  }
  void Save(std::initializer_list<const char*> names) { Listed(names, true); }
  void Load(std::initializer_list<const char*> names) { Listed(names, false); }
  void Listed(std::initializer_list<const char*> names, bool save) {
    TStringList items;
    for (const char* n : names) items.Add(n);
    if (save) storage.SaveListedProperties(&root, items);
    else storage.LoadListedProperties(&root, items);
  }

  TComponent root{nullptr};
  Settings* settings = nullptr;
  TComponent* other = nullptr;
  TPropsStorage storage;
  std::map<std::string, std::map<std::string, std::string>> values;
};

}  // namespace

TEST_F(StorageTest, ValuesAreNamedComponentUnderscoreProperty) {
  settings->Width = 200;
  settings->Color = 2;
  settings->Colors = 0b101;
  settings->Ratio = 2.5;
  settings->Title = "  padded  ";
  settings->Buddy = other;
  Save({"Settings1.Width", "Settings1.Color", "Settings1.Colors", "Settings1.Ratio", "Settings1.Title",
        "Settings1.Buddy", " Settings1 . Letter "});
  auto& place = values["Place"];
  EXPECT_EQ(place["Settings1_Width"], "200");
  EXPECT_EQ(place["Settings1_Color"], "clBlue");
  EXPECT_EQ(place["Settings1_Colors"], "[clRed,clBlue]");
  EXPECT_EQ(place["Settings1_Ratio"], "2.5");
  EXPECT_EQ(place["Settings1_Title"], "padded");
  EXPECT_EQ(place["Settings1_Buddy"], "Other");
  EXPECT_EQ(place["Settings1_Letter"], "a");

  settings->Colors = 0;
  Save({"Settings1.Colors"});
  EXPECT_EQ(place["Settings1_Colors"], "[]");
}

// Values that do not fit leave their property alone; sets read words
// separated by blanks and commas, with or without brackets.
TEST_F(StorageTest, LoadKeepsPropertiesWhoseTextDoesNotFit) {
  auto& place = values["Place"];
  place["Settings1_Width"] = "wide";
  place["Settings1_Color"] = "clPurple";
  place["Settings1_Ratio"] = "2,5";
  place["Settings1_Colors"] = "clGreen clBlue, clNone";
  place["Settings1_Letter"] = "";
  Load({"Settings1.Width", "Settings1.Color", "Settings1.Ratio", "Settings1.Colors", "Settings1.Letter"});
  EXPECT_EQ(settings->Width, 10);
  EXPECT_EQ(settings->Color, 0);
  EXPECT_DOUBLE_EQ(settings->Ratio, 0.5);
  EXPECT_EQ(settings->Colors, 0b110u);
  EXPECT_EQ(settings->Letter, 'a');

  place["Settings1_Width"] = " 321 ";
  place["Settings1_Colors"] = "[clRed]";
  place["Settings1_Ratio"] = "-1.25E2";
  Load({"Settings1.Width", "Settings1.Colors", "Settings1.Ratio", "Settings1.Missing", "Nobody.Width"});
  EXPECT_EQ(settings->Width, 321);
  EXPECT_EQ(settings->Colors, 0b1u);
  EXPECT_DOUBLE_EQ(settings->Ratio, -125);
}

TEST_F(StorageTest, ComponentReferences) {
  auto& place = values["Place"];
  place["Settings1_Buddy"] = "Other";
  settings->Buddy = settings;
  Load({"Settings1.Buddy"});
  EXPECT_EQ(settings->Buddy, other);
  place["Settings1_Buddy"] = "(NULL)";
  Load({"Settings1.Buddy"});
  EXPECT_EQ(settings->Buddy, nullptr);
  // Nothing to decide the kind of object by: a nil reference is not read.
  place["Settings1_Buddy"] = "Other";
  Load({"Settings1.Buddy"});
  EXPECT_EQ(settings->Buddy, nullptr);
  settings->Buddy = other;
  place["Settings1_Buddy"] = "NoSuchComponent";
  Load({"Settings1.Buddy"});
  EXPECT_EQ(settings->Buddy, nullptr);
}

// A list keeps its lines in a section of its own; a section without a
// count, or with a negative or absurd one, leaves the list as it was.
TEST_F(StorageTest, StringListsInTheirOwnSection) {
  for (const char* line : {"one", "two", "three"}) settings->Lines()->Add(line);
  Save({"Settings1.Lines"});
  auto& section = values["Place.Settings1_Lines"];
  EXPECT_EQ(section["Count"], "3");
  EXPECT_EQ(section["Item2"], "three");
  EXPECT_EQ(values["Place"].count("Settings1_Lines"), 0u);

  section["Item0"] = "uno";
  Load({"Settings1.Lines"});
  EXPECT_EQ(settings->Lines()->Text(), "uno\r\ntwo\r\nthree\r\n");

  for (const char* count : {"", "-1", "70000", "lots"}) {
    section["Count"] = count;
    if (*count == '\0') section.erase("Count");
    section["Item0"] = "changed";
    Load({"Settings1.Lines"});
    EXPECT_EQ(settings->Lines()->Get(0), "uno") << count;
  }
}

TEST_F(StorageTest, CollectionsKeepEachItemsProperties) {
  for (int size : {4, 8}) static_cast<Item*>(settings->Items()->Add())->SetSize(size);
  Save({"Settings1.Items"});
  auto& section = values["Place.Settings1_Items"];
  EXPECT_EQ(section["Count"], "2");
  EXPECT_EQ(section["Item1_Size"], "8");
  section["Count"] = "3";
  section["Item2_Size"] = "16";
  Load({"Settings1.Items"});
  ASSERT_EQ(settings->Items()->Count(), 3);
  EXPECT_EQ(static_cast<Item*>(settings->Items()->Items(2))->Size(), 16);
  section["Count"] = "999999";
  Load({"Settings1.Items"});
  EXPECT_EQ(settings->Items()->Count(), 3);
}

TEST(StoredItems, SplitJoinRenameAndResolve) {
  std::string component, property;
  EXPECT_TRUE(SplitStoredItem(" pLeft .\tWidth", component, property));
  EXPECT_EQ(component, "pLeft");
  EXPECT_EQ(property, "Width");
  EXPECT_FALSE(SplitStoredItem("pLeftWidth", component, property));
  EXPECT_FALSE(SplitStoredItem(".Width", component, property));
  EXPECT_FALSE(SplitStoredItem("pLeft. ", component, property));
  EXPECT_EQ(JoinStoredItem("a", ""), "");
  EXPECT_EQ(RenameStoredItem("pLeft.Width", "pRight"), "pRight.Width");
  EXPECT_EQ(RenameStoredItem("nodot", "pRight"), "");

  TComponent root(nullptr);
  auto* panel = new TComponent(&root);
  panel->SetName("pLeft");
  TStringList items;
  for (const char* item : {"pLeft.Width", "nodot", ".Width", "pGone.Height", "pLeft."}) items.Add(item);
  ResolveStoredItems(&root, items, true);
  ASSERT_EQ(items.Count(), 1);
  EXPECT_EQ(items.GetObject(0), panel);
  // Before the form is written out, an item follows its component's name.
  panel->SetName("pSide");
  ResolveStoredItems(&root, items, false);
  EXPECT_EQ(items.Get(0), "pSide.Width");
}

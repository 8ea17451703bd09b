#include "classlib/typinfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/component.h"
#include "classlib/stringlist.h"

namespace {

const char* const kShapes[] = {"stCircle", "stSquare", "stTriangle"};

// A component publishing one property of each kind the tables describe.
class Sample : public TComponent {
public:
  using TComponent::TComponent;

  int Count() const { return count_; }
  void SetCount(int v) { count_ = v; }
  char Letter() const { return letter_; }
  void SetLetter(char v) { letter_ = v; }
  wchar_t WideLetter() const { return wideLetter_; }
  void SetWideLetter(wchar_t v) { wideLetter_ = v; }
  int Shape() const { return shape_; }
  void SetShape(int v) { shape_ = v; }
  uint32_t Shapes() const { return shapes_; }
  void SetShapes(uint32_t v) { shapes_ = v; }
  bool Flag() const { return flag_; }
  void SetFlag(bool v) { flag_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  int64_t Big() const { return big_; }
  void SetBig(int64_t v) { big_ = v; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  const std::wstring& WideCaption() const { return wideCaption_; }
  void SetWideCaption(const std::wstring& v) { wideCaption_ = v; }
  TStringList* Lines() const { return lines_; }
  void SetLines(TStrings* v) { lines_->Assign(v); }
  TComponent* Buddy() const { return buddy_; }
  void SetBuddy(TComponent* v) { buddy_ = v; }
  std::string Version() const { return "1.0"; }
  bool CaptionStored() const { return !caption_.empty(); }

  static const TPublishedClass* StaticPublishedClass() {
    static const TPropInfo properties[] = {
        IntegerProperty<&Sample::Count, &Sample::SetCount>("Count", 3),
        CharProperty<&Sample::Letter, &Sample::SetLetter>("Letter"),
        WideCharProperty<&Sample::WideLetter, &Sample::SetWideLetter>("WideLetter"),
        EnumProperty<&Sample::Shape, &Sample::SetShape>("Shape", kShapes, 0),
        SetProperty<&Sample::Shapes, &Sample::SetShapes>("Shapes", kShapes),
        BooleanProperty<&Sample::Flag, &Sample::SetFlag>("Flag", 0),
        FloatProperty<&Sample::Ratio, &Sample::SetRatio>("Ratio", ftSingle),
        Int64Property<&Sample::Big, &Sample::SetBig>("Big"),
        StoredWhen<&Sample::CaptionStored>(StringProperty<&Sample::Caption, &Sample::SetCaption>("Caption")),
        WideStringProperty<&Sample::WideCaption, &Sample::SetWideCaption>("WideCaption"),
        ObjectProperty<&Sample::Lines, &Sample::SetLines>("Lines"),
        ObjectProperty<&Sample::Buddy, &Sample::SetBuddy>("Buddy"),
        StringProperty<&Sample::Version>("Version"),
    };
    static const TPublishedClass table{"TSample", TComponent::StaticPublishedClass(), properties};
    return &table;
  }
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }

  ~Sample() override { delete lines_; }

private:
  int count_ = 3;
  char letter_ = 'a';
  wchar_t wideLetter_ = L'b';
  int shape_ = 0;
  uint32_t shapes_ = 0;
  bool flag_ = false;
  double ratio_ = 0.5;
  int64_t big_ = 0;
  std::string caption_;
  std::wstring wideCaption_;
  TStringList* lines_ = new TStringList;
  TComponent* buddy_ = nullptr;
};

// Publishes nothing of its own: it shows its parent's properties.
class QuietSample : public Sample {
public:
  using Sample::Sample;
};

// Redeclares Count: the derived one is found by name.
class Override : public Sample {
public:
  using Sample::Sample;
  int Twice() const { return Count() * 2; }
  static const TPublishedClass* StaticPublishedClass() {
    static const TPropInfo properties[] = {IntegerProperty<&Override::Twice>("Count")};
    static const TPublishedClass table{"TOverride", Sample::StaticPublishedClass(), properties};
    return &table;
  }
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }
};

std::vector<std::string> Names(const std::vector<const TPropInfo*>& props) {
  std::vector<std::string> names;
  for (const TPropInfo* p : props) names.push_back(p->Name);
  return names;
}

}  // namespace

// Ancestors' properties come first, each class's in declaration order; a
// derived class that publishes nothing has its parent's list.
TEST(PublishedProperties, ListsAncestorsFirstInDeclarationOrder) {
  QuietSample s(nullptr);
  std::vector<std::string> names = Names(GetPropInfos(&s));
  ASSERT_EQ(names.size(), 15u);
  EXPECT_EQ(names[0], "Name");
  EXPECT_EQ(names[1], "Tag");
  EXPECT_EQ(names[2], "Count");
  EXPECT_EQ(names.back(), "Version");

  EXPECT_EQ(Names(GetPropInfos(&s, TypeKindBit(tkClass))), (std::vector<std::string>{"Lines", "Buddy"}));
  std::vector<std::string> sorted = Names(GetSortedPropInfos(&s, TypeKindBit(tkInteger) | TypeKindBit(tkInt64)));
  EXPECT_EQ(sorted, (std::vector<std::string>{"Big", "Count", "Tag"}));

  TObject plain;
  EXPECT_TRUE(GetPropInfos(&plain).empty());
  EXPECT_TRUE(GetPropInfos(nullptr).empty());
  EXPECT_EQ(GetPropInfo(nullptr, "Name"), nullptr);
}

TEST(PublishedProperties, FindsByNameIgnoringCaseAndDerivedHidesParent) {
  Override o(nullptr);
  o.SetCount(4);
  const TPropInfo* count = GetPropInfo(&o, "COUNT");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(GetOrdProp(&o, *count), 8);
  EXPECT_FALSE(count->HasSetter());
  EXPECT_THROW(SetOrdProp(&o, *count, 1), EPropertyError);
  EXPECT_EQ(GetPropInfo(&o, "Missing"), nullptr);
}

TEST(PublishedProperties, ReadsAndWritesEveryKind) {
  Sample s(nullptr);
  auto prop = [&](const char* name) -> const TPropInfo& { return *GetPropInfo(&s, name); };

  SetStrProp(&s, prop("Name"), "First");
  EXPECT_EQ(s.Name(), "First");
  SetOrdProp(&s, prop("Tag"), -7);
  EXPECT_EQ(s.Tag, -7);
  SetOrdProp(&s, prop("Letter"), 'z');
  EXPECT_EQ(s.Letter(), 'z');
  SetOrdProp(&s, prop("WideLetter"), 0x0416);
  EXPECT_EQ(GetOrdProp(&s, prop("WideLetter")), 0x0416);
  SetOrdProp(&s, prop("Shapes"), 0b101);
  EXPECT_EQ(s.Shapes(), 0b101u);
  SetOrdProp(&s, prop("Flag"), 1);
  EXPECT_TRUE(s.Flag());
  SetOrdProp(&s, prop("Big"), int64_t{1} << 40);
  EXPECT_EQ(s.Big(), int64_t{1} << 40);
  SetFloatProp(&s, prop("Ratio"), 2.25);
  EXPECT_DOUBLE_EQ(GetFloatProp(&s, prop("Ratio")), 2.25);
  EXPECT_EQ(prop("Ratio").FloatType, ftSingle);
  SetWideStrProp(&s, prop("WideCaption"), L"\x0416\x0443\x043A");
  EXPECT_EQ(s.WideCaption(), L"\x0416\x0443\x043A");

  TStringList lines;
  lines.Add("one");
  SetObjectProp(&s, prop("Lines"), &lines);
  EXPECT_EQ(s.Lines()->Text(), "one\r\n");
  TComponent buddy(nullptr);
  SetObjectProp(&s, prop("Buddy"), &buddy);
  EXPECT_EQ(GetObjectProp(&s, prop("Buddy")), &buddy);
  // A list is no component: refused, the reference kept.
  EXPECT_THROW(SetObjectProp(&s, prop("Buddy"), &lines), EPropertyError);
  EXPECT_EQ(s.Buddy(), &buddy);
  SetObjectProp(&s, prop("Buddy"), nullptr);
  EXPECT_EQ(s.Buddy(), nullptr);

  // The wrong access for a kind is an error, not a silent zero.
  EXPECT_THROW(GetStrProp(&s, prop("Count")), EPropertyError);
  EXPECT_THROW(GetOrdProp(&s, prop("Caption")), EPropertyError);
  EXPECT_THROW(SetStrProp(&s, prop("Version"), "2"), EPropertyError);
}

TEST(PublishedProperties, DefaultsStoredAndIdentifiers) {
  Sample s(nullptr);
  EXPECT_EQ(GetPropInfo(&s, "Count")->Default, 3);
  EXPECT_EQ(GetPropInfo(&s, "Big")->Default, kNoDefault);
  EXPECT_TRUE(GetPropInfo(&s, "Version")->HasGetter());

  const TPropInfo& caption = *GetPropInfo(&s, "Caption");
  EXPECT_FALSE(IsStoredProp(&s, caption));
  s.SetCaption("x");
  EXPECT_TRUE(IsStoredProp(&s, caption));
  EXPECT_TRUE(IsStoredProp(&s, *GetPropInfo(&s, "Count")));

  const TPropInfo& shape = *GetPropInfo(&s, "Shape");
  EXPECT_EQ(GetEnumName(shape, 2), "stTriangle");
  EXPECT_EQ(GetEnumName(shape, 3), "");
  EXPECT_EQ(GetEnumName(shape, -1), "");
  EXPECT_EQ(GetEnumValue(shape, "STSQUARE"), 1);
  EXPECT_EQ(GetEnumValue(shape, "stHexagon"), -1);
  EXPECT_EQ(GetEnumName(*GetPropInfo(&s, "Flag"), 1), "True");
}

#include <gtest/gtest.h>

#include <string>

#include "classlib/component.h"
#include "classlib/streams.h"
#include "classlib/typinfo.h"
#include "widecontrols/utf7.h"
#include "widecontrols/wideerrors.h"
#include "widecontrols/widefilers.h"
#include "widecontrols/widestringlist.h"

#include "../classlib/formstreams.h"

using namespace formstreams;

namespace {

const std::wstring kZhuk = L"\x0416\x0443\x043A";  // Жук

// A wide component: a wide caption, a wide mark (L'x' by default) and a wide
// list, with the wide companions.
class TWideThing : public TComponent {
public:
  using TComponent::TComponent;
  std::wstring caption;
  wchar_t mark = L'x';
  TWideStringList lines;

  TWideStrings* Lines() { return &lines; }
  void SetLines(TWideStrings* value) { lines.Assign(value); }
  void Designing() { SetComponentState(csDesigning, true); }

  static const TPublishedClass* StaticPublishedClass() {
    static const TPropInfo props[] = {
        WideStringProperty<&TWideThing::caption, &TWideThing::caption>("Caption"),
        WideCharProperty<&TWideThing::mark, &TWideThing::mark>("Mark", L'x'),
        ObjectProperty<&TWideThing::Lines, &TWideThing::SetLines>("Lines"),
    };
    static const TPublishedClass table{"TWideThing", TComponent::StaticPublishedClass(), props};
    return &table;
  }
  const TPublishedClass* PublishedClass() const override { return StaticPublishedClass(); }
  void DefineProperties(TFiler* filer) override {
    TComponent::DefineProperties(filer);
    WidePersistent_AfterInherited_DefineProperties(filer, this);
  }
};

// The pieces of a hand-made stream, as an older or newer writer made it.
std::string Str(const std::string& text) { return '\x06' + Name(text); }
std::string List(std::initializer_list<std::string> items) {
  std::string list = "\x01";
  for (const std::string& item : items) list += item;
  return list + '\0';
}
std::string Thing(const std::string& properties) {
  return "TPF0" + Name("TWideThing") + Name("Thing") + properties + std::string("\0\0", 2);
}

}  // namespace

TEST(WideFilers, AWideCaptionIsWrittenWithItsUTF7CompanionOnlyWhenItNeedsOne) {
  TWideThing thing(nullptr);
  thing.SetName("Thing");
  thing.caption = L"Open";
  std::string bytes = Written(&thing);
  EXPECT_TRUE(Holds(bytes, "Caption"));
  EXPECT_FALSE(Holds(bytes, "Caption_UTF7"));
  EXPECT_FALSE(Holds(bytes, "MarkW"));  // the mark has its default
  thing.caption = kZhuk;
  thing.mark = L'\x0436';
  bytes = Written(&thing);
  EXPECT_TRUE(Holds(bytes, "Caption_UTF7"));
  EXPECT_TRUE(Holds(bytes, "MarkW"));
  EXPECT_FALSE(Holds(bytes, "CaptionW"));  // read from older writers, never written

  TWideThing loaded(nullptr);
  loaded.SetName("Thing");
  Read(bytes, &loaded);
  EXPECT_EQ(loaded.caption, kZhuk);
  EXPECT_EQ(loaded.mark, L'\x0436');
}

TEST(WideFilers, ListsWriteTheirWideItemsAndUTF7OnlyForTextBeyondASCII) {
  TWideThing thing(nullptr);
  thing.SetName("Thing");
  EXPECT_FALSE(Holds(Written(&thing), "Lines.WideStrings"));  // empty, no ancestor
  thing.lines.Add(L"readme");
  std::string bytes = Written(&thing);
  EXPECT_TRUE(Holds(bytes, "Lines.WideStrings"));
  EXPECT_FALSE(Holds(bytes, "Lines.WideStrings_UTF7"));
  thing.lines.Add(kZhuk);
  bytes = Written(&thing);
  EXPECT_TRUE(Holds(bytes, "Lines.WideStrings_UTF7"));
  TWideThing same(nullptr);
  same.SetName("Thing");
  same.lines.Assign(&thing.lines);
  EXPECT_FALSE(Holds(Written(&thing, &same), "Lines.WideStrings"));  // as the ancestor has it

  TWideThing loaded(nullptr);
  loaded.SetName("Thing");
  loaded.lines.Add(L"old");
  Read(bytes, &loaded);
  EXPECT_TRUE(loaded.lines.Equals(thing.lines));
}

// At run time the published values count: companions are read and dropped
// (a malformed one raises nothing); while designing they apply.
TEST(WideFilers, CompanionValuesApplyOnlyWhileDesigning) {
  const std::string utf7 = WideStringToUTF7(kZhuk);
  const std::string stream = Thing(Name("Caption") + Str("???") + Name("Caption_UTF7") + Str(utf7) +
                                   Name("Lines.WideStrings") + List({Str("A")}) +
                                   Name("Lines.WideStrings_UTF7") + List({Str(utf7)}) +
                                   Name("Lines.WideStringsW") + List({Str("\xD0\x96")}));
  TWideThing running(nullptr);
  running.SetName("Thing");
  Read(stream, &running);
  EXPECT_EQ(running.caption, L"???");
  ASSERT_EQ(running.lines.Count(), 1);
  EXPECT_EQ(running.lines.Get(0), L"A");
  EXPECT_NO_THROW(Read(Thing(Name("Caption_UTF7") + Str("+AB!")), &running));

  TWideThing designed(nullptr);
  designed.SetName("Thing");
  designed.Designing();
  Read(stream, &designed);
  EXPECT_EQ(designed.caption, kZhuk);
  ASSERT_EQ(designed.lines.Count(), 1);
  EXPECT_EQ(designed.lines.Get(0), L"\x0416");  // the last companion read wins
  EXPECT_THROW(Read(Thing(Name("Caption_UTF7") + Str("+AB!")), &designed), EWideGeneralError);
}

TEST(WideFilers, AnEightBitStreamStillLoads) {
  TWideThing thing(nullptr);
  thing.SetName("Thing");
  Read(Thing(Name("Caption") + Str("Open") + Name("Mark") + Str("y") + Name("Lines.Strings") +
             List({Str("one"), std::string("\x0C\x03\0\0\0two", 8)})),
       &thing);
  EXPECT_EQ(thing.caption, L"Open");
  EXPECT_EQ(thing.mark, L'y');
  ASSERT_EQ(thing.lines.Count(), 2);
  EXPECT_EQ(thing.lines.Get(1), L"two");
  // A whole text in one value splits into lines.
  Read(Thing(Name("Lines.Strings") + Str("a\r\nb")), &thing);
  EXPECT_EQ(thing.lines.Count(), 2);
}

TEST(WideFilers, AWideCharCompanionOfTheWrongShapeIsRefused) {
  TWideThing thing(nullptr);
  thing.SetName("Thing");
  EXPECT_THROW(Read(Thing(Name("MarkW") + Str("ab")), &thing), EReadError);
  EXPECT_THROW(Read(Thing(Name("MarkW") + "\x02\x05"), &thing), EReadError);
  Read(Thing(Name("MarkW") + Str("")), &thing);
  EXPECT_EQ(thing.mark, L'\0');
}

// The wide string list: text splitting, sorting, duplicates, capacity,
// events and the 8-bit view.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "classlib/streams.h"
#include "classlib/stringlist.h"
#include "classlib/strutils.h"
#include "widecontrols/ansistringsadapter.h"
#include "widecontrols/widecstr.h"
#include "widecontrols/widestringlist.h"

namespace {

using Lines = std::vector<std::wstring>;

Lines Items(const TWideStrings& list) {
  Lines items;
  for (int i = 0; i < list.Count(); ++i) items.push_back(list.Get(i));
  return items;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EStringListError& e) {
    return e.Message();
  }
  return "";
}

}  // namespace

TEST(WideStringList, SetTextStrEndsLinesAtEveryKindOfBreak) {
  struct Case {
    std::wstring text;
    Lines lines;
  } cases[] = {
      {L"", {}},
      {L"A", {L"A"}},
      {L"A\r", {L"A"}},
      {L"A\r\nB\r\n", {L"A", L"B"}},
      {L"\r\n\n", {L"", L""}},
      {L"\n\r", {L"", L""}},
      {L"A\rB\nC", {L"A", L"B", L"C"}},
      {L"A\x2028" L"B", {L"A", L"B"}},
      {L"A\r\x2028" L"B", {L"A", L"B"}},
      {L"A\n\x2028" L"B", {L"A", L"B"}},
      {L"A\r\n\x2028\x2028", {L"A", L""}},
      {std::wstring(L"A\0B", 3), {L"A"}},
  };
  for (const Case& c : cases) {
    TWideStringList list;
    list.Add(L"old");
    list.SetTextStr(c.text);
    EXPECT_EQ(Items(list), c.lines) << testing::PrintToString(c.text);
  }
}

TEST(WideStringList, GetTextHandsOutABufferWithItsRelease) {
  TWideStringList list;
  list.SetText(L"a\nb");
  EXPECT_EQ(list.GetTextStr(), L"a\r\nb\r\n");
  wchar_t* text = list.GetText();
  EXPECT_EQ(std::wstring(text), L"a\r\nb\r\n");
  WStrDispose(text);
  list.SetText(nullptr);
  EXPECT_EQ(list.Count(), 0);
}

TEST(WideStringList, SortedAddFollowsTheDuplicatesMode) {
  TWideStringList list;
  list.SetSorted(true);
  for (const wchar_t* s : {L"pear", L"Apple", L"fig"}) list.Add(s);
  EXPECT_EQ(Items(list), (Lines{L"Apple", L"fig", L"pear"}));

  EXPECT_EQ(list.Add(L"FIG"), 1);  // ignored: the existing index
  EXPECT_EQ(list.Count(), 3);

  list.SetDuplicates(dupError);
  EXPECT_EQ(ErrorOf([&] { list.Add(L"fig"); }), "String list does not allow duplicates");
  EXPECT_EQ(list.Count(), 3);

  list.SetDuplicates(dupAccept);
  EXPECT_EQ(list.Add(L"fig"), 1);  // before the first equal item
  EXPECT_EQ(list.Add(L"fig"), 1);
  EXPECT_EQ(Items(list), (Lines{L"Apple", L"fig", L"fig", L"fig", L"pear"}));
  int index = -1;
  EXPECT_TRUE(list.Find(L"FIG", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(list.Find(L"grape", index));
  EXPECT_EQ(index, 4);
}

TEST(WideStringList, SortedRefusesPositionalChanges) {
  TWideStringList list;
  list.Add(L"b");
  list.SetSorted(true);
  EXPECT_EQ(ErrorOf([&] { list.Insert(0, L"a"); }), "Operation not allowed on sorted list");
  EXPECT_EQ(ErrorOf([&] { list.Put(0, L"a"); }), "Operation not allowed on sorted list");
  EXPECT_EQ(Items(list), Lines{L"b"});
}

TEST(WideStringList, SettingSortedSortsFirstSoFindAndIndexOfHold) {
  TWideStringList list;
  for (const wchar_t* s : {L"delta", L"alpha", L"echo", L"charlie", L"bravo"}) list.Add(s);
  list.SetSorted(true);
  EXPECT_EQ(Items(list), (Lines{L"alpha", L"bravo", L"charlie", L"delta", L"echo"}));
  EXPECT_EQ(list.IndexOf(L"ALPHA"), 0);
  EXPECT_EQ(list.IndexOf(L"echo"), 4);
  EXPECT_EQ(list.IndexOf(L"zulu"), -1);
  EXPECT_EQ(list.Add(L"coffee"), 3);
}

TEST(WideStringList, CaseSensitiveSortedListIsSortedAgain) {
  TWideStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  for (const wchar_t* s : {L"b", L"B", L"a", L"b"}) list.Add(s);
  list.SetCaseSensitive(true);
  for (int i = 0; i < list.Count(); ++i) EXPECT_GE(list.IndexOf(list.Get(i)), 0) << i;
  for (int i = 1; i < list.Count(); ++i) EXPECT_LE(WideCompareStr(list.Get(i - 1), list.Get(i)), 0);
  EXPECT_EQ(list.Get(list.IndexOf(L"B")), L"B");
}

TEST(WideStringList, CapacityBelowCountIsRefusedAndKeepsTheItems) {
  TWideStringList list;
  for (int i = 0; i < 10; ++i) list.Add(std::to_wstring(i));
  EXPECT_EQ(ErrorOf([&] { list.SetCapacity(3); }), "List capacity out of bounds (3)");
  EXPECT_EQ(list.Count(), 10);
  EXPECT_EQ(list.Get(9), L"9");
  list.SetCapacity(40);
  EXPECT_EQ(list.Capacity(), 40);
  list.Clear();
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(WideStringList, GrowsInTheKnownSteps) {
  TWideStringList list;
  std::vector<int> seen{list.Capacity()};
  for (int i = 0; i < 95; ++i) {
    list.Add(L"x");
    if (list.Capacity() != seen.back()) seen.push_back(list.Capacity());
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 4, 8, 12, 28, 44, 60, 76, 95}));
}

TEST(WideStringList, IndexErrorsNameTheIndex) {
  TWideStringList list;
  list.Add(L"a");
  EXPECT_EQ(ErrorOf([&] { list.Get(1); }), "List index out of bounds (1)");
  EXPECT_EQ(ErrorOf([&] { list.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf([&] { list.Exchange(0, 5); }), "List index out of bounds (5)");
  EXPECT_EQ(ErrorOf([&] { list.Insert(2, L"x"); }), "List index out of bounds (2)");
  list.Insert(1, L"b");
  EXPECT_EQ(Items(list), (Lines{L"a", L"b"}));
}

TEST(WideStringList, IndexOfNameUnsortedAndSorted) {
  TWideStringList list;
  for (const wchar_t* s : {L"a=1", L"b=2", L"c"}) list.Add(s);
  EXPECT_EQ(list.IndexOfName(L"b"), 1);
  EXPECT_EQ(list.IndexOfName(L"c"), -1);
  list.SetNameValueSeparator(L':');
  EXPECT_EQ(list.IndexOfName(L"b"), -1);
  list.SetNameValueSeparator(L'=');
  list.Add(L"ab=3");
  list.SetSorted(true);
  EXPECT_EQ(list.IndexOfName(L"B"), list.IndexOf(L"b=2"));
  EXPECT_EQ(list.IndexOfName(L"ab"), list.IndexOf(L"ab=3"));
  EXPECT_EQ(list.IndexOfName(L"c"), -1);
  EXPECT_EQ(list.IndexOfName(L"z"), -1);
}

TEST(WideStringList, EventsFireOncePerChangeAndOncePerOutermostUpdate) {
  TWideStringList list;
  std::wstring log;
  list.OnChanging = [&](TObject* sender) { log += sender == &list ? L'<' : L'?'; };
  list.OnChange = [&](TObject*) { log += L'>'; };
  list.Add(L"a");
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add(L"b");
  list.Delete(0);
  list.EndUpdate();
  list.EndUpdate();
  list.EndUpdate();  // one too many: ignored
  list.SetTextStr(L"x\ny");
  EXPECT_EQ(log, L"<><><>");
}

TEST(WideStringList, ExchangeMoveAndObjects) {
  TWideStringList list;
  TObject one, two;
  list.AddObject(L"a", &one);
  list.AddObject(L"b", &two);
  list.Add(L"c");
  list.Exchange(0, 1);
  EXPECT_EQ(Items(list), (Lines{L"b", L"a", L"c"}));
  EXPECT_EQ(list.GetObject(0), &two);
  list.Move(0, 2);
  EXPECT_EQ(Items(list), (Lines{L"a", L"c", L"b"}));
  EXPECT_EQ(list.IndexOfObject(&two), 2);
  list.Put(0, L"z");
  EXPECT_EQ(list.GetObject(0), &one);
}

TEST(WideStringList, CustomSortSurvivesAComparisonThatContradictsItself) {
  TWideStringList list;
  for (int i = 0; i < 200; ++i) list.Add(std::to_wstring(i % 7));
  list.CustomSort([](TWideStringList*, int, int) { return -1; });
  list.CustomSort([](TWideStringList*, int, int) { return 1; });
  EXPECT_EQ(list.Count(), 200);
  list.Sort();
  for (int i = 1; i < list.Count(); ++i) EXPECT_LE(list.Get(i - 1), list.Get(i));
}

TEST(WideStringList, AssignCopiesListsBothWaysAndAcrossWidths) {
  TWideStringList source;
  source.SetNameValueSeparator(L':');
  source.Add(L"\x00E9t\x00E9");
  source.Add(L"plain");
  TWideStringList copy;
  copy.Add(L"gone");
  copy.Assign(&source);
  EXPECT_TRUE(copy.Equals(source));
  EXPECT_EQ(copy.NameValueSeparator(), L':');
  copy.Assign(&copy);
  EXPECT_EQ(copy.Count(), 2);

  TStringList ansi;
  ansi.Assign(&source);
  EXPECT_EQ(ansi.Get(0), "\xE9t\xE9");

  // The 8-bit list's strings go through Add, which a sorted list accepts.
  ansi.Add("apple");
  TWideStringList sorted;
  sorted.SetSorted(true);
  sorted.Assign(&ansi);
  EXPECT_EQ(sorted.Get(0), L"apple");
  EXPECT_GE(sorted.IndexOf(L"\x00C9T\x00C9"), 0);
  EXPECT_EQ(sorted.Count(), 3);

  source.AddStrings(source);
  EXPECT_EQ(source.Count(), 4);
}

TEST(WideStringList, AnsiViewReadsAndWritesInItsCodePage) {
  TWideStringList list;
  list.SetTextStr(L"\x0416\n\x00E9");
  TAnsiStringsForWideStringsAdapter utf8(&list, 65001);
  EXPECT_EQ(utf8.Get(0), "\xD0\x96");
  utf8.Put(1, "\xC3\xA8");
  EXPECT_EQ(list.Get(1), L"\x00E8");

  TStringStream out;
  utf8.SaveToStreamEx(out, 65000);
  EXPECT_EQ(out.DataString(), "+BBY\r\n+AOg\r\n");
  TStringStream in("a\r\nb");
  list.AnsiStrings()->LoadFromStreamEx(in, 1252);
  EXPECT_EQ(Items(list), (Lines{L"a", L"b"}));
}

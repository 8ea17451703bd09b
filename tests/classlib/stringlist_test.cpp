#include <gtest/gtest.h>

#include <vector>

#include "classlib/stringlist.h"
#include "classlib/streams.h"

namespace {

std::vector<std::string> Lines(const TStrings& list) { return list.ToVector(); }

// Counts its own destruction, to see who frees list objects and when.
class Counted : public TObject {
public:
  explicit Counted(int& destroyed) : destroyed_(destroyed) {}
  ~Counted() override { ++destroyed_; }

private:
  int& destroyed_;
};

// A stream that hands out one byte per Read, as a pipe or a slow device may.
class TrickleStream : public TStream {
public:
  explicit TrickleStream(std::string data) : data_(std::move(data)) {}
  int32_t Read(void* buffer, int32_t count) override {
    if (count <= 0 || position_ >= data_.size()) return 0;
    static_cast<char*>(buffer)[0] = data_[position_++];
    return 1;
  }
  int32_t Write(const void*, int32_t) override { return 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    if (origin == soEnd) return static_cast<int64_t>(data_.size()) + offset;
    return origin == soCurrent ? static_cast<int64_t>(position_) + offset : offset;
  }

private:
  std::string data_;
  size_t position_ = 0;
};

}  // namespace

TEST(StringList, SortedListKeepsOrderAndFindIgnoresCase) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"pear", "Apple", "fig", "banana"}) list.Add(s);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"Apple", "banana", "fig", "pear"}));
  int index = -1;
  EXPECT_TRUE(list.Find("APPLE", index));
  EXPECT_EQ(index, 0);
  EXPECT_TRUE(list.Find("Fig", index));
  EXPECT_EQ(index, 2);
  // Not found: the place where it would go.
  EXPECT_FALSE(list.Find("cherry", index));
  EXPECT_EQ(index, 2);
  EXPECT_EQ(list.IndexOf("PEAR"), 3);
  EXPECT_THROW(list.Insert(0, "x"), EStringListError);
  EXPECT_THROW(list.Put(0, "x"), EStringListError);
}

TEST(StringList, CaseSensitiveSortedListTellsCaseApart) {
  TStringList list;
  list.SetSorted(true);
  list.SetCaseSensitive(true);
  list.Add("a");
  list.Add("A");
  EXPECT_EQ(list.Count(), 2);
  int index;
  EXPECT_TRUE(list.Find("A", index));
  EXPECT_EQ(list[index], "A");
}

TEST(StringList, EachDuplicatesModeOnASortedList) {
  TStringList ignore;
  ignore.SetSorted(true);
  EXPECT_EQ(ignore.Add("x"), 0);
  EXPECT_EQ(ignore.Add("X"), 0);  // equal when case is ignored
  EXPECT_EQ(ignore.Count(), 1);
  EXPECT_EQ(ignore[0], "x");

  TStringList accept;
  accept.SetSorted(true);
  accept.SetDuplicates(dupAccept);
  accept.Add("b");
  accept.Add("a");
  accept.Add("b");
  accept.Add("c");
  EXPECT_EQ(Lines(accept), (std::vector<std::string>{"a", "b", "b", "c"}));
  int index;
  ASSERT_TRUE(accept.Find("b", index));
  EXPECT_EQ(index, 1);  // the first of the equal ones

  TStringList error;
  error.SetSorted(true);
  error.SetDuplicates(dupError);
  error.Add("a");
  EXPECT_THROW(error.Add("A"), EStringListError);
  EXPECT_EQ(error.Count(), 1);
}

TEST(StringList, IgnoredDuplicateKeepsTheObjectAlreadyThere) {
  int destroyed = 0;
  auto* first = new Counted(destroyed);
  auto* second = new Counted(destroyed);
  {
    TStringList list;
    list.SetSorted(true);
    list.SetOwnsObjects(true);
    list.AddObject("key", first);
    EXPECT_EQ(list.AddObject("KEY", second), 0);
    EXPECT_EQ(list.Objects(0), first);
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 1);  // the list freed the object it held
  delete second;
}

TEST(StringList, OwnedObjectsAreFreedWithTheirStrings) {
  int destroyed = 0;
  {
    TStringList list;
    list.SetOwnsObjects(true);
    list.AddObject("a", new Counted(destroyed));
    list.AddObject("b", new Counted(destroyed));
    list.AddObject("c", new Counted(destroyed));
    list.Delete(1);
    EXPECT_EQ(destroyed, 1);
    list.PutObject(0, new Counted(destroyed));
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(list.IndexOfObject(list.Objects(1)), 1);
  }
  EXPECT_EQ(destroyed, 4);

  TStringList notOwning;
  Counted kept(destroyed);
  notOwning.AddObject("k", &kept);
  notOwning.Clear();
  EXPECT_EQ(destroyed, 4);
}

TEST(StringList, SetTextSplitsAtEveryKindOfLineBreak) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"\n\n", {"", ""}},
      {"a\n\r\nb", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines) << "text: " << c.text;
  }
  TStringList list;
  list.SetText("x\ny");
  EXPECT_EQ(list.Text(), "x\r\ny\r\n");
}

TEST(StringList, CommaTextQuotesWhatNeedsItAndReadsItBack) {
  TStringList list;
  for (const char* s : {"plain", "two words", "a,b", "say \"hi\"", ""}) list.Add(s);
  EXPECT_EQ(list.CommaText(), "plain,\"two words\",\"a,b\",\"say \"\"hi\"\"\",\"\"");
  TStringList back;
  back.SetCommaText(list.CommaText());
  EXPECT_EQ(Lines(back), Lines(list));

  back.SetCommaText("a, b  ,,\"c d\",");
  EXPECT_EQ(Lines(back), (std::vector<std::string>{"a", "b", "", "c d", ""}));
  back.SetCommaText("x y");  // blanks separate unquoted items too
  EXPECT_EQ(Lines(back), (std::vector<std::string>{"x", "y"}));
}

TEST(StringList, NameValuePairs) {
  TStringList list;
  list.Add("Width=200");
  list.Add("Height=150");
  EXPECT_EQ(list.Values("height"), "150");
  EXPECT_EQ(list.Names(0), "Width");
  list.SetValue("Width", "300");
  EXPECT_EQ(list[0], "Width=300");
  list.SetValue("Width", "");
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Values("missing"), "");
}

TEST(StringList, LoadFromStreamReadsUntilTheEndWhateverEachReadReturns) {
  TrickleStream stream("first\r\nsecond\r\nthird");
  TStringList list;
  list.LoadFromStream(stream);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"first", "second", "third"}));
}

TEST(StringList, ChangeEventsWaitForTheEndOfAnUpdate) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  list.Add("a");
  EXPECT_EQ(changes, 1);
  list.BeginUpdate();
  list.Add("b");
  list.Add("c");
  EXPECT_EQ(changes, 1);
  list.EndUpdate();
  EXPECT_EQ(changes, 2);
}

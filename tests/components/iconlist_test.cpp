#include "components/iconlist.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "classlib/streams.h"
#include "classlib/stringlist.h"

namespace {

TIcon* SystemIcon(const char* id) {
  auto* icon = new TIcon;
  icon->LoadFromResourceName(nullptr, id);
  return icon;
}

std::string Saved(TIconList& list) {
  TStringStream out;
  list.SaveToStream(out);
  return out.DataString();
}

int32_t Int32At(const std::string& s, size_t at) {
  int32_t v = 0;
  std::memcpy(&v, s.data() + at, 4);
  return v;
}

struct ChangeCounter {
  explicit ChangeCounter(TIconList& list) {
    list.OnChange = [this](TObject*) { ++changes; };
  }
  int changes = 0;
};

}  // namespace

// Empty positions and empty icons are written with size 0 and come back as
// empty positions; the icons are copies, never the caller's objects.
TEST(IconList, StreamKeepsEmptyPositionsAndCopiesIcons) {
  std::unique_ptr<TIcon> app(SystemIcon(IDI_APPLICATION));
  TIcon empty;
  TIconList list;
  list.Add(app.get());
  list.Add(&empty);
  list.Put(2, app.get());  // Put at Count appends
  ASSERT_EQ(list.Count(), 3);
  EXPECT_NE(list.Get(0), app.get());
  EXPECT_EQ(list.IndexOf(list.Get(2)), 2);
  EXPECT_EQ(list.IndexOf(app.get()), -1);

  const std::string bytes = Saved(list);
  EXPECT_EQ(Int32At(bytes, 0), 3);
  const int32_t first = Int32At(bytes, 4);
  EXPECT_GT(first, 0);
  EXPECT_EQ(Int32At(bytes, 8 + first), 0);

  TIconList back;
  ChangeCounter counter(back);
  TStringStream in(bytes);
  back.LoadFromStream(in);
  EXPECT_EQ(counter.changes, 1);
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.Get(1), nullptr);
  ASSERT_NE(back.Get(2), nullptr);
  EXPECT_EQ(back.Get(2)->Width(), app->Width());
  EXPECT_EQ(Saved(back), bytes);
}

TEST(IconList, BatchesGiveOneChangeAndIconEditsCount) {
  std::unique_ptr<TIcon> app(SystemIcon(IDI_APPLICATION));
  std::unique_ptr<TIcon> warning(SystemIcon(IDI_WARNING));
  TIconList list;
  for (int i = 0; i < 4; ++i) list.Add(app.get());
  ChangeCounter counter(list);
  list.Clear();
  EXPECT_EQ(counter.changes, 1);

  list.Add(app.get());
  list.Add(warning.get());
  counter.changes = 0;
  list.Get(0)->Assign(warning.get());
  EXPECT_EQ(counter.changes, 1);
  list.Exchange(0, 1);
  list.Move(1, 0);
  EXPECT_EQ(counter.changes, 3);

  list.Assign(app.get());
  EXPECT_EQ(list.Count(), 1);
  TIconList copy;
  copy.Assign(&list);
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_NE(copy.Get(0), list.Get(0));
  copy.Assign(nullptr);
  EXPECT_EQ(copy.Count(), 0);
  TStringList lines;
  EXPECT_THROW(copy.Assign(&lines), EConvertError);
}

// Damaged streams raise; what was read before stays, one change is told,
// and a size beyond the bytes that remain allocates nothing.
TEST(IconList, DamagedStreamsRaiseAndKeepWhatWasRead) {
  std::unique_ptr<TIcon> app(SystemIcon(IDI_APPLICATION));
  TIconList source;
  source.Add(app.get());
  source.Add(app.get());
  const std::string bytes = Saved(source);

  TIconList list;
  ChangeCounter counter(list);
  TStringStream truncated(bytes.substr(0, bytes.size() - 10));
  EXPECT_THROW(list.LoadFromStream(truncated), EReadError);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(counter.changes, 1);

  std::string huge = bytes;
  const int32_t absurd = 0x7FFFFFF0;
  std::memcpy(huge.data() + 4, &absurd, 4);
  TStringStream hugeStream(huge);
  EXPECT_THROW(list.LoadFromStream(hugeStream), EReadError);
  EXPECT_EQ(list.Count(), 0);

  std::string garbage = bytes;
  garbage[8] = 'X';  // the first icon's file no longer starts as an ICO file
  TStringStream garbageStream(garbage);
  EXPECT_THROW(list.LoadFromStream(garbageStream), EInvalidGraphic);
  EXPECT_EQ(list.Count(), 0);

  // A negative count is an empty list.
  TStringStream negative(std::string("\xff\xff\xff\xff", 4));
  list.LoadFromStream(negative);
  EXPECT_EQ(list.Count(), 0);

  EXPECT_THROW(list.AddResource(GetModuleHandleA(nullptr), "NO_SUCH_ICON"), EInvalidGraphic);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.AddResource(nullptr, IDI_APPLICATION), 0);
  EXPECT_THROW(list.Get(1), EListError);
}

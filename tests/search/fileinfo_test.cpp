#include <gtest/gtest.h>

#include <vector>

#include "classlib/exceptions.h"
#include "search/fileinfo.h"

namespace {

TFileInfo Info(std::string name, std::string path = "C:\\a", int64_t size = 0, double modified = 0,
               std::string type = "") {
  TFileInfo info;
  info.Name = std::move(name);
  info.Path = std::move(path);
  info.Size = size;
  info.Modified = modified;
  info.TypeName = std::move(type);
  return info;
}

std::vector<std::string> Names(const TFileInfoList& list) {
  std::vector<std::string> names;
  TFileInfo info;
  for (int i = 0; i < list.Count(); ++i) {
    list.GetItem(i, info);
    names.push_back(info.Name);
  }
  return names;
}

using Names_ = std::vector<std::string>;

}  // namespace

// Each column sorts ascending first, then descending, keeping its own flag.
TEST(FileInfoList, EachColumnSortsUpThenDownWithItsOwnFlag) {
  TFileInfoList list;
  list.Add(Info("b.txt", "C:\\z", 5, 3, "Text"));
  list.Add(Info("C.txt", "C:\\x", 6000000000, 1, "Bitmap"));
  list.Add(Info("a.txt", "C:\\Y", 7, 2, "Zip"));

  list.SortByName();
  EXPECT_EQ(Names(list), (Names_{"a.txt", "b.txt", "C.txt"}));
  list.SortBySize();
  EXPECT_EQ(Names(list), (Names_{"b.txt", "a.txt", "C.txt"}));
  list.SortByName();  // the name flag was not reset by the size sort
  EXPECT_EQ(Names(list), (Names_{"C.txt", "b.txt", "a.txt"}));
  list.SortBySize();
  EXPECT_EQ(Names(list), (Names_{"C.txt", "a.txt", "b.txt"}));
  list.SortByPath();
  EXPECT_EQ(Names(list), (Names_{"C.txt", "a.txt", "b.txt"}));
  list.SortByPath();
  EXPECT_EQ(Names(list), (Names_{"b.txt", "a.txt", "C.txt"}));
  list.SortByType();
  EXPECT_EQ(Names(list), (Names_{"C.txt", "b.txt", "a.txt"}));
  list.SortByDate();
  EXPECT_EQ(Names(list), (Names_{"C.txt", "a.txt", "b.txt"}));
  list.SortByDate();
  EXPECT_EQ(Names(list), (Names_{"b.txt", "a.txt", "C.txt"}));
  EXPECT_TRUE(list.NameAscending());
  EXPECT_FALSE(list.TypeAscending());
}

// Names alike far into their letters sort by their first difference, one
// that is the start of another comes first, and names equal but for case
// keep their order, in either direction.
TEST(FileInfoList, NameSortOrdersLongCommonStartsAndKeepsEqualNamesInPlace) {
  TFileInfoList list;
  for (const char* name :
       {"report-2021-march.txt", "REPORT-2021", "report-2021-april.txt", "report-2021", "report-2020-zeta.txt"})
    list.Add(Info(name));
  list.SortByName();
  EXPECT_EQ(Names(list), (Names_{"report-2020-zeta.txt", "REPORT-2021", "report-2021", "report-2021-april.txt",
                                 "report-2021-march.txt"}));
  list.SortByName();
  EXPECT_EQ(Names(list), (Names_{"report-2021-march.txt", "report-2021-april.txt", "REPORT-2021", "report-2021",
                                 "report-2020-zeta.txt"}));
}

// Sorting nothing or one record only turns the flag round.
TEST(FileInfoList, SortingEmptyOrSingleListOnlyInvertsTheFlag) {
  TFileInfoList list;
  list.SortBySize();
  EXPECT_FALSE(list.SizeAscending());
  list.Add(Info("a"));
  list.SortBySize();
  EXPECT_TRUE(list.SizeAscending());
  EXPECT_EQ(list.Count(), 1);
}

// Times are compared by whole milliseconds, a strict weak ordering: results
// a millisecond or more apart always come out in time order, even in a chain
// of times each less than 1 ms from the next, which a tolerance comparison
// leaves unsorted.
TEST(FileInfoList, DateSortOrdersTimesAMillisecondApart) {
  constexpr double kMs = 1.0 / 86400000.0;
  const double base = 45000.0;
  TFileInfoList list;
  for (int i = 40; i >= 0; --i) list.Add(Info("f" + std::to_string(i), "C:\\a", 0, base + i * 0.6 * kMs));
  list.SortByDate();
  TFileInfo a, b;
  for (int i = 0; i < list.Count(); ++i) {
    list.GetItem(i, a);
    for (int j = i + 1; j < list.Count(); ++j) {
      list.GetItem(j, b);
      EXPECT_GT(b.Modified - a.Modified, -kMs) << a.Name << " before " << b.Name;
    }
  }
  list.SortByDate();
  list.GetItem(0, a);
  EXPECT_EQ(a.Name, "f40");
}

// IndexOf wants both name and folder, with the same case.
TEST(FileInfoList, IndexOfMatchesNameAndPathWithCase) {
  TFileInfoList list;
  list.Add(Info("a.txt", "C:\\one"));
  list.Add(Info("a.txt", "C:\\two"));
  EXPECT_EQ(list.IndexOf(Info("a.txt", "C:\\two")), 1);
  EXPECT_EQ(list.IndexOf(Info("A.txt", "C:\\two")), -1);
  EXPECT_EQ(list.IndexOf(Info("a.txt", "C:\\TWO")), -1);
}

// Records are copies; Delete moves later records up; bad indexes raise.
TEST(FileInfoList, KeepsCopiesAndChecksIndexes) {
  TFileInfoList list;
  TFileInfo info = Info("a", "C:\\a", 1);
  info.Context = "ctx";
  info.ImageIndex = 4;
  list.Add(info);
  info.Name = "changed";
  list.Add(Info("b"));
  list.Add(Info("c"));
  TFileInfo got;
  list.GetItem(0, got);
  EXPECT_EQ(got.Name, "a");
  EXPECT_EQ(got.Context, "ctx");
  EXPECT_EQ(got.ImageIndex, 4);
  list.Delete(1);
  EXPECT_EQ(Names(list), (Names_{"a", "c"}));
  EXPECT_THROW(list.GetItem(2, got), EListError);
  EXPECT_THROW(list.Delete(-1), EListError);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

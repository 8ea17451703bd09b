#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/resultset.h"

namespace {

TFileInfo Record(const std::string& name, const std::string& path = "C:\\Data") {
  TFileInfo info;
  info.Name = name;
  info.Path = path;
  return info;
}

std::vector<std::string> Names(const TFileInfoList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.Count(); ++i) names.push_back(list.Item(i).Name);
  return names;
}

TEST(ResultSet, FilterKeepsNamesHoldingTheTextWhateverTheirCase) {
  TResultSet set;
  for (const char* name : {"report.doc", "Doc1.txt", "image.png"}) set.Add(Record(name));
  set.SetFilter("DOC");
  EXPECT_TRUE(set.Filtering());
  EXPECT_EQ(Names(set.Results()), (std::vector<std::string>{"report.doc", "Doc1.txt"}));
  set.SetFilter("png");  // a new text filters the complete store again
  EXPECT_EQ(Names(set.Results()), (std::vector<std::string>{"image.png"}));
  set.SetFilter("");
  EXPECT_FALSE(set.Filtering());
  EXPECT_EQ(set.Results().Count(), 3);
}

TEST(ResultSet, HitsArrivingWhileFilteringAreShownAndSurviveTheFilter) {
  TResultSet set;
  set.Add(Record("a.txt"));
  set.SetFilter("zzz");
  EXPECT_EQ(set.Results().Count(), 0);
  set.Add(Record("late.bin"));
  EXPECT_EQ(Names(set.Results()), (std::vector<std::string>{"late.bin"}));
  set.SetFilter("");
  EXPECT_EQ(Names(set.Results()), (std::vector<std::string>{"a.txt", "late.bin"}));
}

TEST(ResultSet, ClearWhileFilteringEmptiesBothStores) {
  TResultSet set;
  set.Add(Record("a.txt"));
  set.SetFilter("a");
  set.Clear();
  set.SetFilter("");
  EXPECT_EQ(set.Results().Count(), 0);
}

TEST(ResultSet, RecordsAreFoundAgainByIdentityAfterASort) {
  TResultSet set;
  set.Add(Record("b.txt"));
  set.Add(Record("a.txt", "C:\\Other"));
  set.Add(Record("a.txt"));
  const std::vector<uint32_t> ids = {set.Results().Id(2), set.Results().Id(0), set.Results().Id(1)};
  set.Results().SortByName();
  set.RemoveRows({set.IndexesOf({ids[2]})[0]});
  const std::vector<int> at = set.IndexesOf(ids);
  ASSERT_EQ(at.size(), 3u);
  EXPECT_EQ(set.Results().Item(at[0]).Path, "C:\\Data");
  EXPECT_EQ(set.Results().Item(at[1]).Name, "b.txt");
  EXPECT_EQ(at[2], -1);
}

}  // namespace

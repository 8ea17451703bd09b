#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/searchmasks.h"

namespace {

using Masks = std::vector<std::string>;

TEST(SearchMasks, MaskTextIsCutAtEachSeparatorAndEmptyPiecesVanish) {
  struct Case {
    const char* text;
    Masks masks;
  };
  const Case cases[] = {
      {"", {"*"}},
      {"*.*", {"*"}},
      {"***.*", {"*"}},  // "*" typed with the type "*.*": the same as no name
      {"*.txt; *.doc", {"*.txt", "*.doc"}},
      {"a,,b", {"a", "b"}},
      {"C:\\x\\*.txt", {"C", "x", "*.txt"}},
      {"a/b:c;d e,f\\g", {"a", "b", "c", "d", "e", "f", "g"}},
      {" ;, ", {}},
      {"*.txt *.*", {"*.txt", "*.*"}},  // only a text that is "*.*" on its own becomes "*"
      {"Report.DOC", {"Report.DOC"}},   // letter case is kept
  };
  for (const Case& c : cases) EXPECT_EQ(SplitMaskText(c.text), c.masks) << "'" << c.text << "'";
}

TEST(SearchMasks, WildcardRunsWithAStarBecomeOneStarAndQuestionMarksAloneStay) {
  struct Case {
    const char* mask;
    const char* normal;
  };
  const Case cases[] = {
      {"**", "*"},       {"*?", "*"},           {"?*", "*"},         {"?*?", "*"},
      {"*.??", "*.??"},  {"*?.txt", "*.txt"},   {"a.??", "a.??"},    {"**a??*", "*a*"},
      {"a??b", "a??b"},  {"[a-c]*?", "[a-c]*"}, {"plain", "plain"},  {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(NormalizeMask(c.mask), c.normal) << c.mask;
  EXPECT_EQ(SplitMaskText("**a??*;x?*y"), (Masks{"*a*", "x*y"}));
}

}  // namespace

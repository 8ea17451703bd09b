#include <gtest/gtest.h>

#include <string>

#include "classlib/masks.h"

TEST(Masks, MatchTable) {
  struct Case {
    const char* mask;
    const char* name;
    bool matches;
  } cases[] = {
      {"*", "", true},
      {"*", "anything.txt", true},
      {"*.txt", "readme.txt", true},
      {"*.txt", "readme.txt.bak", false},
      {"*.TXT", "readme.txt", true},
      {"READ*", "readme.txt", true},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"a?c", "abbc", false},
      {"*.??", "x.cc", true},
      {"*.??", "x.c", false},
      {"[a-c]*", "beta", true},
      {"[a-c]*", "delta", false},
      {"[A-C]*", "beta", true},
      {"[!a-c]*", "delta", true},
      {"[!a-c]*", "beta", false},
      {"[xyz].dat", "y.dat", true},
      {"[z-a]", "m", false},
      {"a*b*c", "aXbYc", true},
      {"a*b*c", "aXcYb", false},
      {"*a", "banana", true},
      {"**a", "banana", true},
      {"", "", true},
      {"", "x", false},
      {"a]", "a]", true},
      // A mask that would take exponential time with naive backtracking.
      {"*a*a*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.mask << " / " << c.name;
}

TEST(Masks, LettersOutsideAsciiMatchInEitherCase) {
  // E with acute accent, in the Western ANSI code page both builds use.
  EXPECT_TRUE(MatchesMask("caf\xE9.txt", "CAF\xC9*"));
  EXPECT_TRUE(MatchesMask("CAF\xC9.TXT", "caf\xE9.txt"));
  EXPECT_TRUE(MatchesMask("\xE9t\xE9", "[\xC9]*"));
}

TEST(Masks, MalformedMaskRaisesWithThePlaceOfTheFault) {
  struct Case {
    const char* mask;
    const char* message;
  } cases[] = {
      {"[a", "'[a' is an invalid mask at (3)"},
      {"x[]", "'x[]' is an invalid mask at (3)"},
      {"[a-]", "'[a-]' is an invalid mask at (4)"},
      {"[a-", "'[a-' is an invalid mask at (4)"},
      {"*.[!", "'*.[!' is an invalid mask at (5)"},
  };
  for (const Case& c : cases) {
    try {
      // Raised even though the name could never match.
      MatchesMask("", c.mask);
      ADD_FAILURE() << "no exception for " << c.mask;
    } catch (const EMaskException& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST(Masks, CompiledMaskIsReusable) {
  TMask mask("*.doc");
  EXPECT_TRUE(mask.Matches("a.doc"));
  EXPECT_FALSE(mask.Matches("a.docx"));
  EXPECT_TRUE(mask.Matches("B.DOC"));
}

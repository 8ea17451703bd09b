#include "components/utilities.h"

#include <gtest/gtest.h>

TEST(Utilities, XorRoundTripsAndRepeatsOrTruncatesItsKey) {
  EXPECT_EQ(XorEncode("", "Az\xff"), "417aff");
  EXPECT_EQ(XorDecode("", "417AFF"), "Az\xff");
  // Key byte 0x01 repeats: 'a'^1 = 0x60, 'b'^2 = 0x60 with key "\x01\x02".
  EXPECT_EQ(XorEncode("\x01\x02", "abab"), "60606060");
  // A key longer than the text uses only its first bytes.
  EXPECT_EQ(XorEncode("\x01\x02\x03\x04", "ab"), "6060");
  for (std::string key : {"", "k", "a longer key than the text"}) {
    const std::string text("pass\0word \xe9", 11);
    EXPECT_EQ(XorDecode(key, XorEncode(key, text)), text) << key;
  }
}

TEST(Utilities, XorDecodeTakesABadPairAsASpaceAndIgnoresAnOddDigit) {
  EXPECT_EQ(XorDecode("", "zz41x"), " A");
  EXPECT_EQ(XorDecode("\x01", "zz"), std::string(1, ' ' ^ 1));
  EXPECT_EQ(XorDecode("", "4"), "");
}

TEST(Utilities, WordsBetweenDelimiters) {
  const TCharSet delims = CharSetOf(" ,");
  const std::string s = "  a ,b ";
  EXPECT_EQ(WordCount(s, delims), 2);
  EXPECT_EQ(WordPosition(1, s, delims), 3);
  EXPECT_EQ(WordPosition(2, s, delims), 6);
  EXPECT_EQ(WordPosition(3, s, delims), 0);
  EXPECT_EQ(WordPosition(0, s, delims), 0);
  EXPECT_EQ(ExtractWord(2, s, delims), "b");
  EXPECT_EQ(ExtractWord(3, s, delims), "");
  EXPECT_EQ(ExtractWord(1, "10,20,30,40", CharSetOf(",")), "10");
  EXPECT_EQ(ExtractWord(4, "10,20,30,40", CharSetOf(",")), "40");
  EXPECT_EQ(WordCount("", delims), 0);
}

TEST(Utilities, ReplaceStrDoesNotOverlapOrRescan) {
  EXPECT_EQ(ReplaceStr("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceStr("abab", "ab", "abab"), "abababab");
  EXPECT_EQ(ReplaceStr("abc", "", "x"), "abc");
  EXPECT_EQ(Max(-1, 0), 0);
  EXPECT_EQ(Min(-1, 0), -1);
}

TEST(Utilities, SwitchToWindowLeavesADisabledWindowAlone) {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_MINIMIZE);
  EnableWindow(window, FALSE);
  SwitchToWindow(window, true);
  EXPECT_TRUE(IsIconic(window));
  EnableWindow(window, TRUE);
  SwitchToWindow(window, true);
  EXPECT_FALSE(IsIconic(window));
  DestroyWindow(window);
}

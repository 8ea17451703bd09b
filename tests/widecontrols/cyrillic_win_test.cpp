// The wide layer on a Cyrillic system (ANSI 1251, OEM 866). Run with
// tools/wine-session --locale ru_RU; skipped on any other system.
#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/stringlist.h"
#include "classlib/streams.h"
#include "widecontrols/ansistringsadapter.h"
#include "widecontrols/codepageconv.h"
#include "widecontrols/platform.h"
#include "widecontrols/resstrings.h"
#include "widecontrols/widestringlist.h"

namespace {
class CyrillicSystem : public testing::Test {
protected:
  void SetUp() override {
    if (GetACP() != 1251) GTEST_SKIP() << "needs the Cyrillic system code page";
  }
};
}  // namespace

TEST_F(CyrillicSystem, CodePagesFollowTheSystemLocale) {
  EXPECT_EQ(LCIDToCodePage(GetThreadLocale()), 1251u);
  EXPECT_EQ(LCIDToCodePage(LOCALE_USER_DEFAULT), 1251u);
  EXPECT_TRUE(IsWideCharMappableToAnsi(L'\x0416'));
  // Latin letters with accents map to their base letters; CJK has no equivalent.
  EXPECT_FALSE(IsWideCharMappableToAnsi(L'\x65E5'));
  EXPECT_EQ(StringToWideStringEx("\xC6", DefaultSystemCodePage), L"\x0416");
  EXPECT_EQ(WideStringToStringEx(L"\x0416", DefaultSystemCodePage), "\xC6");
}

TEST_F(CyrillicSystem, TextWithoutAMarkIsReadInTheSystemCodePage) {
  TStringStream stream("\xC6\xE8\xE7\xED\xFC\r\nx");
  TWideStringList list;
  list.LoadFromStream(stream, true);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Get(0), L"\x0416\x0438\x0437\x043D\x044C");
  TResStringRec text = ResStringText("\xC6");
  EXPECT_EQ(WideLoadResString(&text), L"\x0416");
}

TEST_F(CyrillicSystem, AnsiViewConvertsInTheSystemCodePage) {
  TWideStringList list;
  list.Add(L"\x0416");
  TStringList ansi;
  ansi.Assign(&list);
  EXPECT_EQ(ansi.Get(0), "\xC6");
  ansi.Add("\xE6");
  list.Assign(&ansi);
  EXPECT_EQ(list.Get(1), L"\x0436");
  EXPECT_EQ(list.IndexOf(L"\x0416"), 0);
  EXPECT_EQ(list.IndexOf(L"\x0436"), 0);  // case ignored in the Russian locale too
}

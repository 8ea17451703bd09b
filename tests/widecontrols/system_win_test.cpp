// The system side of the wide layer: platform flags, code pages of locales,
// module file names, the command line and resource strings.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "classlib/exceptions.h"
#include "widecontrols/codepageconv.h"
#include "widecontrols/paramstr.h"
#include "widecontrols/platform.h"
#include "widecontrols/resstrings.h"
#include "widecontrols/win32wide.h"

namespace {
constexpr LCID kRussian = MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), SORT_DEFAULT);
constexpr LCID kEnglishUS = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
}  // namespace

TEST(Platform, FlagsDescribeAnNtSystem) {
  EXPECT_TRUE(Win32PlatformIsUnicode);
  EXPECT_TRUE(Win32PlatformIsXP);
  EXPECT_EQ(DefaultSystemCodePage, static_cast<unsigned>(CP_THREAD_ACP));
}

TEST(Platform, LocaleCodePagesComeFromTheSystem) {
  EXPECT_EQ(LCIDToCodePage(kRussian), 1251u);
  EXPECT_EQ(LCIDToCodePage(kEnglishUS), 1252u);
  // A locale the system does not know gives the ANSI code page.
  EXPECT_EQ(LCIDToCodePage(0x7FFF0000), GetACP());
}

TEST(Platform, WesternSystemMapsOnlyItsOwnCharacters) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs a Western system";
  EXPECT_TRUE(IsWideCharMappableToAnsi(L'\x00E9'));
  EXPECT_FALSE(IsWideCharMappableToAnsi(L'\x0416'));
  EXPECT_EQ(StringToWideStringEx("\xC6", DefaultSystemCodePage), L"\x00C6");
}

TEST(ModuleFileName, IsTheProgramsFullName) {
  wchar_t expected[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, expected, MAX_PATH);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(WideGetModuleFileName(nullptr), std::wstring(expected, n));
  EXPECT_EQ(WideParamStr(0), std::wstring(expected, n));
  EXPECT_THROW(WideGetModuleFileName(reinterpret_cast<HMODULE>(0x10)), EOSError);
}

TEST(WideParamStr, ReadsTheCommandLineLikeTheSystemForPlainArguments) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  ASSERT_NE(argv, nullptr);
  for (int i = 1; i < argc; ++i) EXPECT_EQ(WideParamStr(i), argv[i]) << i;
  EXPECT_EQ(WideParamStr(argc), L"");
  EXPECT_EQ(WideParamStr(argc + 100), L"");
  LocalFree(argv);
}

TEST(WideLoadResString, TextRecordsAndTableEntries) {
  EXPECT_EQ(WideLoadResString(nullptr), L"");
  TResStringRec utf8 = ResStringText("\xEF\xBB\xBF\xD0\x96\xC3\xA9");
  EXPECT_EQ(WideLoadResString(&utf8), L"\x0416\x00E9");
  TResStringRec markOnly = ResStringText("\xEF\xBB\xBF");
  EXPECT_EQ(WideLoadResString(&markOnly), L"\x00EF\x00BB\x00BF");
  TResStringRec plain = ResStringText("List");
  EXPECT_EQ(WideLoadResString(&plain), L"List");

  // A string table of a system module: the entry comes back as the system
  // reads it, and a missing one is empty.
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  ASSERT_NE(user32, nullptr);
  auto module = reinterpret_cast<uintptr_t>(user32);
  int found = 0;
  for (UINT id = 1; id < 4096 && found < 3; ++id) {
    wchar_t expected[4097];
    int n = LoadStringW(user32, id, expected, 4097);
    if (n <= 0) continue;
    ++found;
    TResStringRec entry{&module, id};
    EXPECT_EQ(WideLoadResString(&entry), std::wstring(expected, static_cast<size_t>(n))) << id;
  }
  EXPECT_GT(found, 0);
  TResStringRec missing{&module, 65535};
  EXPECT_EQ(WideLoadResString(&missing), L"");
}

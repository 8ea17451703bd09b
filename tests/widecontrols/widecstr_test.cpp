// Zero-terminated wide strings and the small wide-string helpers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "widecontrols/widecstr.h"
#include "widecontrols/widestrutils.h"

TEST(WideCString, AllocStoresTheBlockSizeInFront) {
  wchar_t* p = WStrAlloc(10);
  uint32_t stored;
  std::memcpy(&stored, reinterpret_cast<unsigned char*>(p) - 4, sizeof stored);
  EXPECT_EQ(stored, 4 + 10 * sizeof(wchar_t));
  WStrDispose(p);
  WStrDispose(nullptr);
}

TEST(WideCString, NewCopiesWithTheTerminator) {
  EXPECT_EQ(WStrNew(nullptr), nullptr);
  wchar_t* p = WStrNew(L"abc");
  EXPECT_EQ(WStrLen(p), 3u);
  EXPECT_EQ(WStrEnd(p), p + 3);
  EXPECT_EQ(std::wstring(p), L"abc");
  WStrDispose(p);
}

TEST(WideCString, ScanFindsTheTerminatorOnlyWhenAskedFor) {
  const wchar_t* s = L"abca";
  EXPECT_EQ(WStrScan(s, L'a'), s);
  EXPECT_EQ(WStrScan(s, L'c'), s + 2);
  EXPECT_EQ(WStrScan(s, L'x'), nullptr);
  EXPECT_EQ(WStrScan(s, L'\0'), s + 4);
}

TEST(WideCString, SwapByteOrderStopsAtTheFirstZeroUnit) {
  wchar_t s[] = {0x4100, 0x00FE, 0, 0x4100, 0};
  StrSwapByteOrder(s);
  EXPECT_EQ(s[0], 0x0041);
  EXPECT_EQ(s[1], 0xFE00);
  EXPECT_EQ(s[3], 0x4100);
}

TEST(WideStrUtils, LastDelimiterIsOneBasedAndIgnoresZeroUnits) {
  EXPECT_EQ(WideLastDelimiter(L"\\:", L"C:\\a\\b.txt"), 5u);
  EXPECT_EQ(WideLastDelimiter(L"\\:", L"C:b"), 2u);
  EXPECT_EQ(WideLastDelimiter(L"\\:", L"name"), 0u);
  EXPECT_EQ(WideLastDelimiter(std::wstring_view(L"x\0", 2), std::wstring_view(L"a\0b", 3)), 0u);
  EXPECT_EQ(WideExtractFileName(L"C:\\folder\\\x00E9t\x00E9.txt"), L"\x00E9t\x00E9.txt");
  EXPECT_EQ(WideExtractFileName(L"C:name.txt"), L"name.txt");
  EXPECT_EQ(WideExtractFileName(L"plain"), L"plain");
}

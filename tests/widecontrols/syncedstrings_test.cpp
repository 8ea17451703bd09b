#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "widecontrols/syncedstrings.h"

// On a Western (1252) system Cyrillic has no 8-bit image but question marks.
namespace {
const std::wstring kZhuk = L"\x0416\x0443\x043A";
}

TEST(SyncedWideString, FollowsAnEightBitValueChangedBehindIt) {
  std::wstring wide = kZhuk;
  EXPECT_EQ(GetSyncedWideString(wide, "???"), kZhuk);  // still the image of the wide value
  EXPECT_EQ(GetSyncedWideString(wide, "abc"), L"abc");
  EXPECT_EQ(wide, L"abc");
}

TEST(SyncedWideString, SettingTheSameValueTwiceChangesNothingTheSecondTime) {
  std::wstring wide;
  std::string ansi;
  std::vector<std::string> sets;
  auto setAnsi = [&](const std::string& s) {
    ansi = s;
    sets.push_back(s);
  };
  SetSyncedWideString(kZhuk, wide, ansi, setAnsi);
  SetSyncedWideString(kZhuk, wide, ansi, setAnsi);
  EXPECT_EQ(sets, std::vector<std::string>{"???"});
  EXPECT_EQ(wide, kZhuk);
}

TEST(SyncedWideString, ANewValueWithTheSameImageEmptiesTheEightBitValueFirst) {
  std::wstring wide = kZhuk;
  std::string ansi = "???";
  std::vector<std::string> sets;
  SetSyncedWideString(L"\x0416\x0416\x0416", wide, ansi, [&](const std::string& s) {
    ansi = s;
    sets.push_back(s);
  });
  EXPECT_EQ(sets, (std::vector<std::string>{"", "???"}));
  EXPECT_EQ(wide, L"\x0416\x0416\x0416");
}

TEST(SyncedWideString, PlainTextIsSetOnce) {
  std::wstring wide = L"old";
  std::string ansi = "old";
  std::vector<std::string> sets;
  SetSyncedWideString(L"new", wide, ansi, [&](const std::string& s) { sets.push_back(s); });
  EXPECT_EQ(sets, std::vector<std::string>{"new"});
}

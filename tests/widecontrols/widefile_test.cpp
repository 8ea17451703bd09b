// Files by wide name: opening, creating, and lists loaded from and saved to
// them.
#include <gtest/gtest.h>

#include "tempfolder.h"
#include "widecontrols/widefile.h"
#include "widecontrols/widefilestream.h"
#include "widecontrols/widestringlist.h"

namespace {
// A name no 8-bit code page holds whole.
const std::wstring kName = L"\x0416\x00E9\x65E5.txt";
}  // namespace

TEST(WideFileOpen, ModesOutsideTheTableFailInsteadOfReadingPastIt) {
  TempFolder folder;
  std::wstring name = folder.Path(kName);
  TempFolder::WriteBytes(name, "x");
  for (uint32_t mode : {0x03u, 0x50u, 0xF0u, 0xF3u, 0x7Fu}) {
    EXPECT_EQ(WideFileOpen(name, mode), kInvalidHandle) << mode;
  }
  for (uint32_t mode : {0x00u, 0x10u, 0x22u, 0x40u}) {
    THandle h = WideFileOpen(name, mode);
    EXPECT_NE(h, kInvalidHandle) << mode;
    WideFileClose(h);
  }
  EXPECT_EQ(WideFileOpen(folder.Path(L"missing"), 0), kInvalidHandle);
}

TEST(WideFileStream, FailureRaisesTheFileErrors) {
  TempFolder folder;
  std::wstring name = folder.Path(L"a.txt");
  TempFolder::WriteBytes(name, "x");
  try {
    TWideFileStream stream(name, 0x50);
    FAIL() << "opened with a sharing value outside the table";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot open file ", 0), 0u) << e.Message();
  }
  EXPECT_THROW(TWideFileStream(folder.Path(L"missing"), fmOpenRead), EFOpenError);
  EXPECT_THROW(TWideFileStream(folder.Path(L"no\\such/folder/x"), 0xFFFF), EFCreateError);
}

TEST(WideFileStream, CreateWithEitherCreateModeReplacesTheFile) {
  TempFolder folder;
  std::wstring name = folder.Path(kName);
  TempFolder::WriteBytes(name, "old contents");
  for (uint16_t mode : {uint16_t{0xFFFF}, uint16_t{fmCreate}}) {
    TWideFileStream stream(name, mode);
    stream.WriteBuffer("new", 3);
  }
  EXPECT_EQ(TempFolder::ReadBytes(name), "new");
}

TEST(WideStringsFile, SaveWritesUtf16WithAMarkAndLoadRemembersTheCharacterSet) {
  using namespace std::string_literals;
  TempFolder folder;
  std::wstring name = folder.Path(kName);
  TWideStringList list;
  list.Add(L"A");
  list.Add(L"B");
  list.SaveToFile(name);
  EXPECT_EQ(TempFolder::ReadBytes(name), "\xFF\xFE" "A\0\r\0\n\0B\0\r\0\n\0"s);

  struct Case {
    std::string bytes;
    TWideStreamCharSet charSet;
    std::wstring text;
  } cases[] = {
      {"\xFF\xFE" "A\0"s, csUnicode, L"A\r\n"},
      {"\xFE\xFF\0A"s, csUnicodeSwapped, L"A\r\n"},
      {"\xEF\xBB\xBF\xC3\xA9", csUtf8, L"\x00E9\r\n"},
      {"AB", csAnsi, L"AB\r\n"},
      {"", csAnsi, L""},
  };
  for (const Case& c : cases) {
    TempFolder::WriteBytes(name, c.bytes);
    TWideStringList loaded;
    loaded.LoadFromFile(name);
    EXPECT_EQ(loaded.LastFileCharSet(), c.charSet) << c.bytes;
    EXPECT_EQ(loaded.GetTextStr(), c.text) << c.bytes;
  }

  // Whatever it was loaded as, a list is saved as UTF-16LE with a mark.
  TempFolder::WriteBytes(name, "\xEF\xBB\xBF\xC3\xA9");
  TWideStringList utf8;
  utf8.LoadFromFile(name);
  utf8.SaveToFile(name);
  EXPECT_EQ(TempFolder::ReadBytes(name), "\xFF\xFE\xE9\0\r\0\n\0"s);
  EXPECT_THROW(utf8.LoadFromFile(folder.Path(L"missing")), EFOpenError);
}

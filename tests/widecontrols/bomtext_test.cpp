// Loading and saving wide lists as text with byte-order marks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/streams.h"
#include "widecontrols/bomtext.h"
#include "widecontrols/widestringlist.h"

namespace {

std::vector<std::wstring> Items(const TWideStrings& list) {
  std::vector<std::wstring> items;
  for (int i = 0; i < list.Count(); ++i) items.push_back(list.Get(i));
  return items;
}

std::vector<std::wstring> Load(const std::string& bytes, bool withBOM = true) {
  TStringStream stream(bytes);
  TWideStringList list;
  list.LoadFromStream(stream, withBOM);
  return Items(list);
}

using Lines = std::vector<std::wstring>;

}  // namespace

TEST(BomText, LoadTellsTheCharacterSetByItsMark) {
  using namespace std::string_literals;
  struct Case {
    const char* name;
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"utf16le", "\xFF\xFE" "A\0\r\0\n\0B\0"s, {L"A", L"B"}},
      {"utf16be", "\xFE\xFF\0A"s, {L"A"}},
      {"utf16be two", "\xFE\xFF\x04\x16\0\r\0\n\0x"s, {L"\x0416", L"x"}},
      {"utf8", "\xEF\xBB\xBF\xC3\xA9", {L"\x00E9"}},
      {"utf8 malformed", "\xEF\xBB\xBF" "abc\xC3", {}},
      {"ansi", "AB", {L"AB"}},
      {"ansi high", "caf\xE9\r\nx", {L"caf\x00E9", L"x"}},
      {"one byte", "Z", {L"Z"}},
      {"empty", "", {}},
      {"two bytes no mark", "EF", {L"EF"}},
      {"utf16 odd length", "\xFF\xFE" "A\0B"s, {L"A"}},
      {"utf16 one byte after mark", "\xFF\xFE" "A", {}},
      {"utf16 mark only", "\xFF\xFE", {}},
      {"utf16 embedded zero", "\xFF\xFE" "A\0\0\0B\0"s, {L"A"}},
      {"utf8 mark only", "\xEF\xBB\xBF", {}},
      {"utf8 mark cut", "\xEF\xBB", {L"\x00EF\x00BB"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Load(c.bytes), c.lines) << c.name;
}

TEST(BomText, WithoutBomTheStreamIsUtf16FromItsPosition) {
  using namespace std::string_literals;
  EXPECT_EQ(Load("\xFF\xFE" "A\0"s, false), Lines{L"\xFEFF" L"A"});
  TStringStream stream("xx" "B\0"s);
  stream.SetPosition(2);
  TWideStringList list;
  list.LoadFromStream(stream, false);
  EXPECT_EQ(Items(list), Lines{L"B"});
}

TEST(BomText, DetectionStaysAfterAMarkAndRewindsWithoutOne) {
  using namespace std::string_literals;
  struct Case {
    std::string bytes;
    TWideStreamCharSet charSet;
    int64_t position;
  } cases[] = {
      {"\xFF\xFEx", csUnicode, 2},   {"\xFE\xFF", csUnicodeSwapped, 2},
      {"\xEF\xBB\xBF", csUtf8, 3},   {"\xEF\xBB", csAnsi, 0},
      {"abc", csAnsi, 0},            {"a", csAnsi, 0},
      {"", csAnsi, 0},
  };
  for (const Case& c : cases) {
    TStringStream stream(c.bytes);
    EXPECT_EQ(AutoDetectCharacterSet(stream), c.charSet) << c.bytes;
    EXPECT_EQ(stream.Position(), c.position) << c.bytes;
  }
}

TEST(BomText, SaveWritesUtf16LeWithAMarkAndALineBreakAfterEveryItem) {
  using namespace std::string_literals;
  TWideStringList list;
  list.Add(L"A");
  list.Add(L"B");
  TStringStream withMark, without;
  list.SaveToStream(withMark, true);
  list.SaveToStream(without, false);
  EXPECT_EQ(withMark.DataString(), "\xFF\xFE" "A\0\r\0\n\0B\0\r\0\n\0"s);
  EXPECT_EQ(without.DataString(), "A\0\r\0\n\0B\0\r\0\n\0"s);

  TWideStringList wide;
  wide.Add(L"\x0416\xD83D\xDE00");
  TStringStream high;
  wide.SaveToStream(high, true);
  EXPECT_EQ(high.DataString(), "\xFF\xFE\x16\x04\x3D\xD8\x00\xDE\r\0\n\0"s);

  TWideStringList empty;
  TStringStream nothing;
  empty.SaveToStream(nothing, true);
  EXPECT_EQ(nothing.DataString(), "\xFF\xFE");
}

TEST(BomText, SavedTextLoadsBackUnchanged) {
  TWideStringList list;
  list.Add(L"\x00E9t\x00E9");
  list.Add(L"");
  list.Add(L"\xD83D\xDE00 \x0416");
  TStringStream stream;
  list.SaveToStream(stream, true);
  stream.SetPosition(0);
  TWideStringList back;
  back.LoadFromStream(stream, true);
  EXPECT_TRUE(back.Equals(list));
}

TEST(BomText, AFailedLoadLeavesTheUpdateCountBalanced) {
  // A stream that claims more bytes than it gives.
  class ShortStream : public TStringStream {
  public:
    ShortStream() : TStringStream("\xFF\xFE") {}
    int64_t Size() override { return 100; }
  } stream;
  TWideStringList list;
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  EXPECT_THROW(list.LoadFromStream(stream, true), EReadError);
  EXPECT_EQ(list.UpdateCount(), 0);
  EXPECT_EQ(changes, 1);
}

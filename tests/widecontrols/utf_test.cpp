// UTF-7 and UTF-8 conversion, and the code-page switch in front of them.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "widecontrols/codepageconv.h"
#include "widecontrols/utf7.h"
#include "widecontrols/utf8.h"
#include "widecontrols/wideerrors.h"

namespace {

// Random UTF-16 text weighted towards what the coders treat specially:
// ASCII (plus, minus, base64 letters, direct and shifted punctuation),
// surrogates (paired and lone), and the rest of the 16-bit range.
std::wstring RandomText(std::mt19937& rng, size_t maxLength) {
  std::uniform_int_distribution<size_t> length(0, maxLength);
  std::uniform_int_distribution<int> kind(0, 5);
  std::wstring s;
  for (size_t n = length(rng); s.size() < n;) {
    switch (kind(rng)) {
      case 0: s += static_cast<wchar_t>(std::uniform_int_distribution<int>(0, 127)(rng)); break;
      case 1: s += L"+-~A/"[std::uniform_int_distribution<int>(0, 4)(rng)]; break;
      case 2:  // a pair
        s += static_cast<wchar_t>(std::uniform_int_distribution<int>(0xD800, 0xDBFF)(rng));
        s += static_cast<wchar_t>(std::uniform_int_distribution<int>(0xDC00, 0xDFFF)(rng));
        break;
      case 3: s += static_cast<wchar_t>(std::uniform_int_distribution<int>(0xD800, 0xDFFF)(rng)); break;
      default: s += static_cast<wchar_t>(std::uniform_int_distribution<int>(0, 0xFFFF)(rng)); break;
    }
  }
  return s;
}

std::string Utf7Message(std::string_view s) {
  try {
    UTF7ToWideString(s);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "";
}

}  // namespace

TEST(UTF7, EncodesDirectCharactersAndShiftsTheRest) {
  struct Case {
    const wchar_t* text;
    const char* utf7;
  } cases[] = {
      {L"", ""},
      {L"Hello", "Hello"},
      {L"A+B", "A+-B"},
      {L"~", "+AH4"},                    // no closing "-" at the end
      {L"~.", "+AH4."},                  // "." cannot be read as base64: no "-"
      {L"~a", "+AH4-a"},                 // "a" could: closed
      {L"~-", "+AH4--"},                 // so could "-"
      {L"a!\"#$%&*;<=>@[]^_`{|}", "a!\"#$%&*;<=>@[]^_`{|}"},  // Set O written directly
      {L"\\", "+AFw"},
      {L"\x00E9t\x00E9", "+AOk-t+AOk"},
      {L"\x65E5\x672C\x8A9E", "+ZeVnLIqe"},
      {L"tab\tcr\rlf\n sp", "tab\tcr\rlf\n sp"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WideStringToUTF7(c.text), c.utf7) << c.utf7;
    EXPECT_EQ(UTF7ToWideString(c.utf7), c.text) << c.utf7;
  }
}

TEST(UTF7, DecodesEscapesAndRefusesMalformedText) {
  EXPECT_EQ(UTF7ToWideString("+-"), L"+");
  EXPECT_EQ(UTF7ToWideString("+AH4-"), L"~");
  EXPECT_EQ(UTF7ToWideString("a+-b+-"), L"a+b+");
  EXPECT_EQ(UTF7ToWideString("+AH4-+-"), L"~+");
  const char* malformed[] = {
      "+",       // a lone plus sign at the end
      "a+",      //
      "\x80",    // a byte above 127 outside a run
      "+A-",     // a run that ends before its first unit
      "+AH5-",   // leftover bits that are not zero
      "+AH4\xFF",
  };
  for (const char* s : malformed) EXPECT_EQ(Utf7Message(s), "Invalid UTF7") << s;
  EXPECT_THROW(UTF7ToWideString("+"), EWideGeneralError);
}

TEST(UTF7, CodersReportATargetTooSmall) {
  std::wstring source = L"~~";
  char bytes[4];
  const wchar_t* from = source.data();
  char* to = bytes;
  EXPECT_EQ(EncodeUTF7(from, from + source.size(), to, bytes + sizeof bytes, true, false),
            TUTF7Result::Overflow);
  EXPECT_LE(to, bytes + sizeof bytes);

  std::string text = "ab";
  wchar_t units[1];
  const char* in = text.data();
  wchar_t* out = units;
  EXPECT_EQ(DecodeUTF7(in, in + text.size(), out, units + 1), TUTF7Result::Overflow);
  EXPECT_EQ(out, units + 1);
}

TEST(UTF7, RandomTextSurvivesTheRoundTrip) {
  std::mt19937 rng(7);
  for (int i = 0; i < 2000; ++i) {
    std::wstring text = RandomText(rng, 40);
    std::string utf7 = WideStringToUTF7(text);
    ASSERT_LE(utf7.size(), text.size() * 7);
    ASSERT_EQ(UTF7ToWideString(utf7), text) << utf7;
  }
}

TEST(UTF8, WritesEveryUnitInOneToThreeBytes) {
  EXPECT_EQ(WideStringToUTF8(L"A\x00E9\x20AC"), "A\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(WideStringToUTF8(L"\x07FF\x0800"), "\xDF\xBF\xE0\xA0\x80");
  // A surrogate pair is written unit by unit, not as one four-byte sequence.
  EXPECT_EQ(WideStringToUTF8(L"\xD83D\xDE00"), "\xED\xA0\xBD\xED\xB8\x80");
  EXPECT_EQ(UTF8ToWideString("\xED\xA0\xBD\xED\xB8\x80"), L"\xD83D\xDE00");
  EXPECT_EQ(UTF8ToWideString("A\xC3\xA9\xE2\x82\xAC"), L"A\x00E9\x20AC");
}

TEST(UTF8, MalformedTextGivesAnEmptyString) {
  const char* malformed[] = {
      "\xC3",              // cut off after the lead
      "ab\xE2\x82",        // a three-byte sequence cut off
      "\xC3\x41",          // following byte not 10xxxxxx
      "\xE2\x82\xC0",      //
      "ok\xC3\xA9\xC3",    // well formed up to the last byte
  };
  for (const char* s : malformed) EXPECT_EQ(UTF8ToWideString(s), L"") << s;
  // Only the following bytes are checked: a stray following byte as a lead
  // still decodes.
  EXPECT_EQ(UTF8ToWideString("\x80\x80"), std::wstring(1, L'\0'));
}

TEST(UTF8, RandomTextSurvivesTheRoundTrip) {
  std::mt19937 rng(8);
  for (int i = 0; i < 2000; ++i) {
    std::wstring text = RandomText(rng, 40);
    ASSERT_EQ(UTF8ToWideString(WideStringToUTF8(text)), text);
  }
}

TEST(CodePageConversion, Utf7AndUtf8GoThroughTheLayersOwnCoders) {
  EXPECT_EQ(StringToWideStringEx("\xC3\xA9", 65001), L"\x00E9");
  EXPECT_EQ(StringToWideStringEx("\xC3", 65001), L"");
  EXPECT_EQ(StringToWideStringEx("+AH4-", 65000), L"~");
  EXPECT_THROW(StringToWideStringEx("+", 65000), EWideGeneralError);
  EXPECT_EQ(WideStringToStringEx(L"~", 65000), "+AH4");
  EXPECT_EQ(WideStringToStringEx(L"\x00E9", 65001), "\xC3\xA9");
  EXPECT_EQ(StringToWideStringEx("\xE9", 1252), L"\x00E9");
  EXPECT_EQ(WideStringToStringEx(L"\x0416", 1251), "\xC6");
}

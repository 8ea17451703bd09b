// Splitting a wide command line into arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "widecontrols/paramstr.h"

namespace {
std::vector<std::wstring> Split(const std::wstring& line) {
  std::vector<std::wstring> tokens;
  const wchar_t* p = line.c_str();
  for (std::wstring param;;) {
    p = WideGetParamStr(p, param);
    if (param.empty()) return tokens;
    tokens.push_back(param);
  }
}
using Tokens = std::vector<std::wstring>;
}  // namespace

TEST(WideGetParamStr, SplitsAtBlanksAndGroupsQuotedText) {
  struct Case {
    const wchar_t* line;
    Tokens tokens;
  } cases[] = {
      {L"", {}},
      {L"   \t ", {}},
      {L"prog.exe -F C:\\x", {L"prog.exe", L"-F", L"C:\\x"}},
      {L"\"C:\\Program Files\\o.exe\" -L \"a b.txt\"", {L"C:\\Program Files\\o.exe", L"-L", L"a b.txt"}},
      {L"a\"b c\"d e", {L"ab cd", L"e"}},
      {L"\"\" \"\"x", {L"x"}},          // pairs of quotation marks before a token are skipped
      {L"x \"unterminated run", {L"x", L"unterminated run"}},
      {L"\x0416\x0438\x0437\x043D\x044C \x00E9", {L"\x0416\x0438\x0437\x043D\x044C", L"\x00E9"}},
      {L"a\x0001\x001F" L"b", {L"a", L"b"}},  // every unit up to 32 is a blank
  };
  for (const Case& c : cases) EXPECT_EQ(Split(c.line), c.tokens) << c.line;
}

TEST(WideGetParamStr, CutsLongArgumentsAndReadsOnFromTheCut) {
  std::wstring longArg(kMaxParamUnits + 10, L'a');
  EXPECT_EQ(Split(longArg + L" b"), (Tokens{std::wstring(kMaxParamUnits, L'a'), std::wstring(10, L'a'), L"b"}));

  // Exactly at the bound, a quoted run still drops its closing mark, so the
  // next argument is read as usual.
  std::wstring exact = L"\"" + std::wstring(kMaxParamUnits, L'q') + L"\" b";
  EXPECT_EQ(Split(exact), (Tokens{std::wstring(kMaxParamUnits, L'q'), L"b"}));

  // Past the bound inside quotes, the rest of the run is read unquoted.
  std::wstring quoted = L"\"" + std::wstring(kMaxParamUnits, L'q') + L"rest\" z";
  EXPECT_EQ(Split(quoted), (Tokens{std::wstring(kMaxParamUnits, L'q'), L"rest z"}));
}

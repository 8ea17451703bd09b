#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "classlib/notifytext.h"

namespace {

// A text longer than the lent buffer is cut to it, the zero included, and
// nothing past the buffer is touched.
TEST(NotifyTextTest, TextIsCutToTheBufferAndEndedByZero) {
  char buffer[8];
  char* end = buffer + sizeof buffer;
  CopyToTextBuffer("a long caption", buffer, 6);
  EXPECT_STREQ(buffer, "a lon");
  CopyToTextBuffer("fits", buffer, static_cast<int>(end - buffer));
  EXPECT_STREQ(buffer, "fits");
  buffer[0] = 'x';
  CopyToTextBuffer("anything", buffer, 0);
  CopyToTextBuffer("anything", buffer, -3);
  CopyToTextBuffer("anything", static_cast<char*>(nullptr), 10);
  EXPECT_EQ(buffer[0], 'x');
  CopyToTextBuffer("anything", buffer, 1);
  EXPECT_STREQ(buffer, "");
}

TEST(NotifyTextTest, WideTextIsCutBeforeAPairThatDoesNotFit) {
  wchar_t buffer[8];
  CopyToTextBuffer("abcdefghij", buffer, 4);
  EXPECT_STREQ(buffer, L"abc");
#ifndef _WIN32
  // A character outside the basic plane takes two units; half of it is
  // never handed out. (Natively the ANSI code page can be UTF-8.)
  const char* saved = std::getenv("OVALIS_ACP");
  const std::string previous = saved != nullptr ? saved : "";
  setenv("OVALIS_ACP", "65001", 1);
  CopyToTextBuffer("ab\xF0\x9F\x98\x80", buffer, 4);
  EXPECT_STREQ(buffer, L"ab");
  CopyToTextBuffer("ab\xF0\x9F\x98\x80", buffer, 5);
  EXPECT_EQ(std::wstring(buffer).size(), 4u);
  if (saved != nullptr) setenv("OVALIS_ACP", previous.c_str(), 1);
  else unsetenv("OVALIS_ACP");
#endif
}

}  // namespace

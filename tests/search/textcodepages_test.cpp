#include <gtest/gtest.h>

#include "classlib/codepage.h"
#include "search/textcodepages.h"

// The letter table agrees with the system's own KOI8-R and 1251 code pages,
// both ways, and leaves every other byte alone.
TEST(Koi8, MapsTheCyrillicLettersLikeTheSystemCodePages) {
  std::string letters;
  for (int b = 0xC0; b <= 0xFF; ++b) letters.push_back(static_cast<char>(b));
  letters += "\xA8\xB8";
  const std::string koi8 = WideToMultiByte(MultiByteToWide(letters, 1251), 20866);
  ASSERT_EQ(koi8.size(), letters.size());
  EXPECT_EQ(AnsiToKoi8(letters), koi8);
  EXPECT_EQ(Koi8ToAnsi(koi8), letters);
  const std::string other = "abc\x80\xA9\xB7\x7F";
  EXPECT_EQ(AnsiToKoi8(other), other);
  EXPECT_EQ(Koi8ToAnsi("abc\x80\xA9\xB7"), "abc\x80\xA9\xB7");
}

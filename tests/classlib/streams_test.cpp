#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "classlib/streams.h"

namespace {
std::string ReadAll(TStream& s) {
  s.SetPosition(0);
  std::string data(static_cast<size_t>(s.Size()), '\0');
  if (!data.empty()) s.ReadBuffer(data.data(), static_cast<int32_t>(data.size()));
  return data;
}
}  // namespace

TEST(MemoryStream, GrowsGeometricallyAndKeepsEveryByte) {
  TMemoryStream s;
  std::string expected;
  int64_t lastCapacity = 0;
  int growths = 0;
  for (int i = 0; i < 100000; ++i) {
    char c = static_cast<char>('a' + i % 26);
    s.WriteBuffer(&c, 1);
    expected += c;
    if (s.Capacity() != lastCapacity) {
      ++growths;
      lastCapacity = s.Capacity();
    }
  }
  EXPECT_EQ(s.Size(), 100000);
  EXPECT_LT(growths, 40);  // one realloc per byte would be 100000
  EXPECT_EQ(ReadAll(s), expected);
}

TEST(MemoryStream, GapsAndRegrownSpaceReadAsZeros) {
  TMemoryStream s;
  s.Seek(10, soBeginning);
  s.WriteBuffer("x", 1);
  EXPECT_EQ(ReadAll(s), std::string(10, '\0') + "x");

  // Shrinking keeps the block; growing again must not show the old bytes.
  s.SetSize(0);
  s.SetSize(11);
  EXPECT_EQ(ReadAll(s), std::string(11, '\0'));
}

TEST(MemoryStream, SmallerCapacityCutsTheSize) {
  TMemoryStream s;
  std::string data(1000, 'q');
  s.WriteBuffer(data.data(), 1000);
  s.SetCapacity(10);
  EXPECT_EQ(s.Size(), 10);
  EXPECT_EQ(ReadAll(s), std::string(10, 'q'));  // ASan would see a read past the block
  s.Clear();
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Position(), 0);
}

TEST(Streams, ReadBufferPastTheEndRaises) {
  TStringStream s("abc");
  char buffer[8];
  EXPECT_THROW(s.ReadBuffer(buffer, 4), EReadError);
  s.SetPosition(0);
  s.ReadBuffer(buffer, 3);
  EXPECT_EQ(std::string(buffer, 3), "abc");
  EXPECT_EQ(s.Read(buffer, 1), 0);

  TMemoryStream m;
  m.WriteBuffer("abc", 3);
  m.SetPosition(2);
  EXPECT_THROW(m.ReadBuffer(buffer, 2), EReadError);
  m.SetPosition(-5);
  EXPECT_EQ(m.Read(buffer, 1), 0);
}

TEST(Streams, HugePositionsSaturateInsteadOfOverflowing) {
  const int64_t max = std::numeric_limits<int64_t>::max();
  TStringStream s("abc");
  s.Seek(max, soBeginning);
  EXPECT_EQ(s.Seek(max, soCurrent), max);
  EXPECT_EQ(s.Seek(std::numeric_limits<int64_t>::min(), soCurrent), -1);
  char c = 'x';
  s.Seek(max - 1, soBeginning);
  // Nothing is written at a place no string can reach.
  EXPECT_THROW(s.WriteBuffer(&c, 1), EWriteError);
  EXPECT_EQ(s.Size(), 3);

  TMemoryStream m;
  m.Seek(max - 1, soBeginning);
  EXPECT_THROW(m.WriteBuffer(&c, 4), EOutOfMemory);
  EXPECT_EQ(m.Size(), 0);
}

TEST(Streams, CopyFromWithCountZeroCopiesTheWholeSource) {
  TStringStream source("0123456789");
  source.SetPosition(7);
  TMemoryStream target;
  EXPECT_EQ(target.CopyFrom(source, 0), 10);
  EXPECT_EQ(ReadAll(target), "0123456789");
  source.SetPosition(2);
  TStringStream part;
  EXPECT_EQ(part.CopyFrom(source, 3), 3);
  EXPECT_EQ(part.DataString(), "234");
  source.SetPosition(8);
  EXPECT_THROW(part.CopyFrom(source, 5), EReadError);
}

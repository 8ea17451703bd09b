// The channel swap and the gathering of planes of true-colour rows against
// byte-by-byte versions, at every length around the block size of their fast
// paths.
#include <gtest/gtest.h>

#include "imaging/channelorder.h"
#include "testutil.h"

namespace {

Bytes Counting(size_t size) {
  Bytes b(size);
  for (size_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>(i * 7 + 1);
  return b;
}

Bytes Swapped(Bytes row, size_t step) {
  for (size_t i = 0; i + step <= row.size(); i += step) std::swap(row[i], row[i + 2]);
  return row;
}

TEST(ReverseChannels, ThreeAndFourBytePixelsOfEveryLength) {
  for (unsigned step : {3u, 4u})
    for (uint32_t count = 0; count <= 70; ++count) {
      const Bytes input = Counting(size_t{count} * step);  // exactly sized for the sanitizer
      GuardedBuffer out(input.size());
      if (step == 3)
        ReverseChannels3(input.data(), out.Data(), count);
      else
        ReverseChannels4(input.data(), out.Data(), count);
      EXPECT_TRUE(out.GuardsIntact());
      ASSERT_TRUE(SameBytes(out.Contents(), Swapped(input, step))) << step << " bytes, " << count << " pixels";
    }
}

TEST(ReverseChannels, InPlace) {
  for (uint32_t count : {1u, 16u, 17u, 50u}) {
    Bytes three = Counting(size_t{count} * 3), four = Counting(size_t{count} * 4);
    const Bytes threeWanted = Swapped(three, 3), fourWanted = Swapped(four, 4);
    ReverseChannels3(three.data(), three.data(), count);
    ReverseChannels4(four.data(), four.data(), count);
    EXPECT_TRUE(SameBytes(three, threeWanted)) << count;
    EXPECT_TRUE(SameBytes(four, fourWanted)) << count;
  }
}

TEST(InterleavePlanes, ThreeAndFourPlanesOfEveryLength) {
  for (unsigned planes : {3u, 4u})
    for (uint32_t count = 0; count <= 40; ++count) {
      Bytes plane[4];
      for (unsigned k = 0; k < planes; ++k) {
        plane[k] = Counting(count);  // exactly sized for the sanitizer
        for (uint8_t& b : plane[k]) b = static_cast<uint8_t>(b * (k + 2) + k);
      }
      Bytes wanted(size_t{count} * planes);
      for (uint32_t i = 0; i < count; ++i)
        for (unsigned k = 0; k < planes; ++k) wanted[size_t{i} * planes + k] = plane[k][i];
      GuardedBuffer out(wanted.size());
      if (planes == 3)
        InterleavePlanes3(plane[0].data(), plane[1].data(), plane[2].data(), out.Data(), count);
      else
        InterleavePlanes4(plane[0].data(), plane[1].data(), plane[2].data(), plane[3].data(), out.Data(), count);
      EXPECT_TRUE(out.GuardsIntact());
      ASSERT_TRUE(SameBytes(out.Contents(), wanted)) << planes << " planes, " << count << " pixels";
    }
}

}  // namespace

// The codecs' short copies and fills at every length around their move
// sizes: exactly n bytes written, nothing around them touched.
#include <gtest/gtest.h>

#include "imaging/shortmoves.h"
#include "testutil.h"

namespace {

TEST(ShortMoves, CopyAndFillWriteExactlyTheirLength) {
  for (size_t n = 0; n <= 70; ++n) {
    Bytes source(n);  // exactly sized, so a sanitizer sees a read past it
    for (size_t i = 0; i < n; ++i) source[i] = static_cast<uint8_t>(i + 1);
    GuardedBuffer copied(n + 3, 0xEE);
    CopyBytes(source.data(), copied.Data() + 1, n);
    Bytes wanted(n + 3, 0xEE);
    std::copy(source.begin(), source.end(), wanted.begin() + 1);
    EXPECT_TRUE(copied.GuardsIntact());
    ASSERT_TRUE(SameBytes(copied.Contents(), wanted)) << "copy of " << n;

    GuardedBuffer filled(n + 3, 0xEE);
    FillBytes(filled.Data() + 2, 0x5A, n);
    Bytes wantedFill(n + 3, 0xEE);
    std::fill_n(wantedFill.begin() + 2, n, 0x5A);
    EXPECT_TRUE(filled.GuardsIntact());
    ASSERT_TRUE(SameBytes(filled.Contents(), wantedFill)) << "fill of " << n;
  }
}

}  // namespace

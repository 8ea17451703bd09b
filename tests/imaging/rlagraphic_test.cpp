// The RLA reader on files written by OpenImageIO, compared with the pixels
// OpenImageIO decodes from the same files.
#include <gtest/gtest.h>

#include <cstring>

#include "imaging/rlagraphic.h"
#include "picturetestutil.h"
#include "pictureutil.h"

namespace {

class RlaFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(RlaFiles, DecodeLikeAnotherDecoder) {
  const std::string name = std::string("rla/") + GetParam();
  TRLAGraphic rla;
  LoadPicture(rla, ReadFixture(name + ".rla"));
  ASSERT_EQ(rla.Width(), 37);
  ASSERT_EQ(rla.Height(), 23);
  // 16-bit samples: two decoders' rounding.
  EXPECT_LE(MaxDifference(RgbOf(rla), ReadFixture(name + ".rgb")), 1);
}

// One colour channel (grey) and a matte channel (alpha) stay within their
// rows; colours stored multiplied by the matte show divided by it again.
INSTANTIATE_TEST_SUITE_P(RealFiles, RlaFiles, ::testing::Values("rgb", "rgba", "rgb16", "grey"));

Bytes WithGamma(const char* text) {
  Bytes file = ReadFixture("rla/rgb.rla");
  std::memset(file.data() + 28, 0, 16);
  std::memcpy(file.data() + 28, text, std::strlen(text));
  return file;
}

// The file's gamma 2.2 (what the fixture holds, and what its writer's
// decoder shows unchanged) leaves the pixels alone; 1.0 turns correction off;
// a gamma below 2.2 brightens, as a picture made for a lighter display
// needs; text that is no number counts as 1.0.
TEST(RlaReader, GammaIsAppliedTowardsTheDisplay) {
  const Bytes expected = ReadFixture("rla/rgb.rgb");
  TRLAGraphic standard;
  LoadPicture(standard, WithGamma("2.2000000477"));
  EXPECT_TRUE(standard.ImageProperties.Options & ioFileGamma);
  EXPECT_FLOAT_EQ(standard.ImageProperties.FileGamma, 2.2f);
  EXPECT_EQ(RgbOf(standard), expected);
  for (const char* off : {"1.0", "1,8", ""}) {
    TRLAGraphic plain;
    LoadPicture(plain, WithGamma(off));
    EXPECT_FALSE(plain.ImageProperties.Options & ioFileGamma) << off;
    EXPECT_EQ(RgbOf(plain), expected) << off;
  }
  TRLAGraphic light;
  LoadPicture(light, WithGamma("1.8"));
  const Bytes brighter = RgbOf(light);
  int up = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_GE(brighter[i], expected[i]);
    up += brighter[i] > expected[i];
  }
  EXPECT_GT(up, 1000);
}

TEST(RlaReader, ActiveWindowSetsTheRowOrder) {
  Bytes file = ReadFixture("rla/rgb.rla");
  TRLAGraphic upright;
  LoadPicture(upright, file);
  EXPECT_TRUE(upright.ImageProperties.BottomUp);
  // Swap bottom and top: rows now run from the top down.
  std::swap(file[12], file[14]);
  std::swap(file[13], file[15]);
  TRLAGraphic flipped;
  LoadPicture(flipped, file);
  EXPECT_FALSE(flipped.ImageProperties.BottomUp);
  const Bytes a = RgbOf(upright), b = RgbOf(flipped);
  const size_t row = 37 * 3;
  for (size_t y = 0; y < 23; ++y)
    EXPECT_TRUE(std::equal(a.begin() + y * row, a.begin() + (y + 1) * row, b.begin() + (22 - y) * row)) << y;
}

// Two matte channels: the first is the alpha, the second is passed over.
TEST(RlaReader, TwoMatteChannelsStayWithinTheirRows) {
  Bytes file = ReadFixture("rla/rgba.rla");
  file[23] = 2;
  TRLAGraphic rla;
  LoadPicture(rla, file);
  EXPECT_EQ(rla.ImageProperties.SamplesPerPixel, 3);
  EXPECT_EQ(rla.PixelFormat(), pf32bit);
  EXPECT_EQ(RgbOf(rla), ReadFixture("rla/rgba.rgb"));
}

TEST(RlaReader, HeaderTests) {
  Bytes file = ReadFixture("rla/rgb.rla");
  TStringStream stream(std::string(file.begin(), file.end()));
  EXPECT_TRUE(TRLAGraphic::CanLoadFromStream(stream));
  std::memcpy(file.data() + 580, "XYZ", 3);
  TStringStream xyz(std::string(file.begin(), file.end()));
  EXPECT_TRUE(TRLAGraphic::CanLoadFromStream(xyz));
  TRLAGraphic rla;
  EXPECT_FALSE(rla.ReadImageProperties(xyz, 0));
  LoadPicture(rla, file);
  EXPECT_TRUE(rla.Empty());
  TStringStream short740(std::string(file.begin(), file.begin() + 740));
  EXPECT_FALSE(TRLAGraphic::CanLoadFromStream(short740));
}

// Channel counts and sample sizes past any real file's are refused with
// the reader's message, not shown as an empty picture.
TEST(RlaReader, AbsurdChannelCountsAreRefused) {
  for (size_t at : {20, 658}) {
    Bytes file = ReadFixture("rla/rgb.rla");
    file[at] = 1;
    file[at + 1] = 44;  // 300
    EXPECT_EQ(RefusalOf<TRLAGraphic>(file), "Cannot load image. Invalid or unexpected RLA image format.");
  }
}

TEST(RlaReader, DamagedCopiesFailCleanly) {
  for (const char* name : {"rgb", "rgba", "rgb16", "grey"})
    LoadDamagedCopies<TRLAGraphic>(ReadFixture(std::string("rla/") + name + ".rla"));
}

}  // namespace

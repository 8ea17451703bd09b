// The Photo-CD reader on image packs made here from the format's
// description (no tool at hand writes one): a luma ramp with neutral chroma
// must come out as the same grey ramp, and the orientation bits turn it.
#include <gtest/gtest.h>

#include <cstring>

#include "imaging/pcdgraphic.h"
#include "pictureutil.h"

namespace {

// Neutral chroma of Photo-CD data (no colour difference).
constexpr uint8_t kNeutralChroma1 = 156, kNeutralChroma2 = 137;

uint8_t Luma(uint32_t x, uint32_t y) { return uint8_t((x / 4 + y / 3) % 200 + 20); }

Bytes ImagePack(uint8_t orientation, uint8_t chroma2 = kNeutralChroma2) {
  Bytes file(96 * 2048, 0);
  std::memcpy(file.data() + 2048, "PCD_IPI", 7);
  file[3586] = orientation;
  for (uint32_t y = 0; y < 512; y += 2) {
    for (uint32_t r = 0; r < 2; ++r)
      for (uint32_t x = 0; x < 768; ++x) file.push_back(Luma(x, y + r));
    file.insert(file.end(), 384, kNeutralChroma1);
    file.insert(file.end(), 384, chroma2);
  }
  return file;
}

TEST(PcdReader, NeutralChromaGivesTheLumaAsGrey) {
  TPCDGraphic pcd;
  LoadPicture(pcd, ImagePack(0));
  ASSERT_EQ(pcd.Width(), 768);
  ASSERT_EQ(pcd.Height(), 512);
  const Bytes rgb = RgbOf(pcd);
  for (uint32_t y = 0; y < 512; y += 37)
    for (uint32_t x = 0; x < 768; x += 41)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(rgb[(y * 768 + x) * 3 + c], Luma(x, y)) << x << "," << y;
}

// The second chroma is the red difference: raising it reddens the picture.
TEST(PcdReader, SecondChromaIsTheRedDifference) {
  TPCDGraphic pcd;
  LoadPicture(pcd, ImagePack(0, 200));
  const Bytes rgb = RgbOf(pcd);
  EXPECT_GT(rgb[0], Luma(0, 0) + 40);
  EXPECT_LT(rgb[1], Luma(0, 0));
}

TEST(PcdReader, OrientationTurnsThePicture) {
  TPCDGraphic upright;
  LoadPicture(upright, ImagePack(0));
  const Bytes straight = RgbOf(upright);
  auto at = [&](const Bytes& rgb, int width, int x, int y) { return rgb[size_t(y * width + x) * 3]; };
  TPCDGraphic left;
  LoadPicture(left, ImagePack(1));
  ASSERT_EQ(left.Width(), 512);
  ASSERT_EQ(left.Height(), 768);
  const Bytes l = RgbOf(left);
  // The first row holds the last column of the picture.
  for (int y = 0; y < 512; y += 7) ASSERT_EQ(at(l, 512, y, 0), at(straight, 768, 767, y));
  TPCDGraphic right;
  LoadPicture(right, ImagePack(3));
  const Bytes r = RgbOf(right);
  for (int x = 0; x < 768; x += 11) ASSERT_EQ(at(r, 512, 511, x), at(straight, 768, x, 0));
  TPCDGraphic flipped;
  LoadPicture(flipped, ImagePack(2));
  EXPECT_EQ(RgbOf(flipped), straight);  // shown as stored
}

TEST(PcdReader, PropertiesAndSignatures) {
  Bytes header(6144, 0);
  std::memcpy(header.data() + 2048, "PCD", 3);
  TStringStream exact(std::string(header.begin(), header.end()));
  EXPECT_FALSE(TPCDGraphic::CanLoadFromStream(exact));
  header.push_back(0);
  TStringStream more(std::string(header.begin(), header.end()));
  EXPECT_TRUE(TPCDGraphic::CanLoadFromStream(more));
  TPCDGraphic pcd;
  ASSERT_TRUE(pcd.ReadImageProperties(more, 7));
  EXPECT_EQ(pcd.ImageProperties.Width, 6144u);
  EXPECT_EQ(pcd.ImageProperties.Height, 4096u);
  EXPECT_EQ(pcd.ImageProperties.Compression, ctPCDHuffmann);
  header[3586] = 1;
  TStringStream turned(std::string(header.begin(), header.end()));
  ASSERT_TRUE(pcd.ReadImageProperties(turned, 7));
  EXPECT_EQ(pcd.ImageProperties.Width, 4096u);
}

TEST(PcdReader, ShortPacksRaiseAndOthersLoadNothing) {
  Bytes pack = ImagePack(0);
  pack.resize(pack.size() - 1000);
  TPCDGraphic pcd;
  EXPECT_THROW(LoadPicture(pcd, pack), EReadError);
  EXPECT_TRUE(pcd.Empty());
  Bytes other(7000, 0);
  LoadPicture(pcd, other);
  EXPECT_TRUE(pcd.Empty());
  LoadDamagedCopies<TPCDGraphic>(ImagePack(1));
}

}  // namespace

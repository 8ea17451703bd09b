// The Photoshop reader on files written by ImageMagick, each compared with
// the pixels ImageMagick decodes from the same file.
#include <gtest/gtest.h>

#include "imaging/psdgraphic.h"
#include "pictureutil.h"

namespace {

struct PsdCase {
  const char* name;
  int tolerance;
};

void PrintTo(const PsdCase& c, std::ostream* os) { *os << c.name; }

class PsdFiles : public ::testing::TestWithParam<PsdCase> {};

TEST_P(PsdFiles, DecodeLikeAnotherDecoder) {
  const std::string name = std::string("psd/") + GetParam().name;
  TPSDGraphic psd;
  LoadPicture(psd, ReadFixture(name + ".psd"));
  ASSERT_EQ(psd.Width(), 37);
  ASSERT_EQ(psd.Height(), 23);
  EXPECT_LE(MaxDifference(RgbOf(psd), ReadFixture(name + ".rgb")), GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    RealFiles, PsdFiles,
    // With alpha, the merged colours blended on white as Photoshop stores
    // them, packed and raw
    ::testing::Values(PsdCase{"rgb", 0}, PsdCase{"rgb_raw", 0}, PsdCase{"rgba", 1}, PsdCase{"rgba_raw", 1},
                      // 16-bit packed rows; grey with alpha (two channels)
                      PsdCase{"rgb16", 1}, PsdCase{"grey", 0}, PsdCase{"grey16", 1},
                      PsdCase{"grey_alpha", 0}, PsdCase{"indexed", 1}, PsdCase{"cmyk", 2},
                      // 1-bit bitmap mode: eight pixels a byte, white first
                      PsdCase{"bitmap", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PsdReader, SignatureCaseAndVersion) {
  Bytes file = ReadFixture("psd/grey.psd");
  file[1] = 'b';
  file[2] = 'p';
  TStringStream stream(std::string(file.begin(), file.end()));
  EXPECT_TRUE(TPSDGraphic::CanLoadFromStream(stream));
  TPSDGraphic psd;
  EXPECT_FALSE(psd.ReadImageProperties(stream, 0));
  try {
    LoadPicture(psd, file);
    ADD_FAILURE() << "lower-case signature loaded";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(std::string(e.Message()), "Cannot load image. Invalid or unexpected PSD or PDD image format.");
  }
}

TEST(PsdReader, DamagedCopiesFailCleanly) {
  for (const char* name : {"rgb", "rgb16", "grey_alpha", "indexed", "cmyk", "bitmap", "rgb_raw"})
    LoadDamagedCopies<TPSDGraphic>(ReadFixture(std::string("psd/") + name + ".psd"));
}

// Width and height far beyond what the packed rows can make are refused
// before anything is sized by them.
TEST(PsdReader, SizeFarBeyondTheDataIsRefused) {
  Bytes file = ReadFixture("psd/bitmap.psd");
  for (int at : {14, 18}) {
    file[at] = 0;
    file[at + 1] = 0;
    file[at + 2] = 0x7F;
    file[at + 3] = 0xFF;
  }
  TPSDGraphic psd;
  EXPECT_ANY_THROW(LoadPicture(psd, file));
  EXPECT_TRUE(psd.Empty());
}

}  // namespace

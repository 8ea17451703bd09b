// The Photoshop reader on files written by ImageMagick, each compared with
// the pixels ImageMagick decodes from the same file.
#include <gtest/gtest.h>

#include "imaging/psdgraphic.h"
#include "picturetestutil.h"
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

// 8000 x 8000 RGB pixels in 64 KB whose row table says every row is 65535
// packed bytes: the rows it names are not in the file, which is found out
// before the planes and the bitmap are made for them.
TEST(PsdReader, RowTableBeyondTheFileIsRefusedFirst) {
  Bytes file = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0x1F, 0x40, 0, 0, 0x1F, 0x40, 0, 8, 0, 3};
  file.resize(file.size() + 12, 0);             // three empty sections
  file.insert(file.end(), {0, 1});              // PackBits
  file.insert(file.end(), 3 * 8000 * 2, 0xFF);  // every row 65535 bytes
  file.resize(65536, 0x80);
  EXPECT_TRUE(LoadsInLittleMemory<TPSDGraphic>(file));
}

}  // namespace

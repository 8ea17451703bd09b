// The TIFF and EPS readers on files written by libtiff's tiffcp (every
// compression it offers), ImageMagick and epstool, each compared with the
// pixels ImageMagick decodes from the same file.
#include <gtest/gtest.h>

#include "classlib/bytereader.h"
#include "imaging/imagingtexts.h"
#include "imaging/tiffgraphic.h"
#include "pictureutil.h"

namespace {

struct TiffCase {
  const char* name;
  int tolerance;  // 0: lossless; otherwise rounding of two decoders
};

void PrintTo(const TiffCase& c, std::ostream* os) { *os << c.name; }

class TiffFiles : public ::testing::TestWithParam<TiffCase> {};

TEST_P(TiffFiles, DecodeLikeAnotherDecoder) {
  const std::string name = std::string("tiff/") + GetParam().name;
  TTIFFGraphic tiff;
  LoadPicture(tiff, ReadFixture(name + ".tif"));
  ASSERT_EQ(tiff.Width(), 37);
  ASSERT_EQ(tiff.Height(), 23);
  EXPECT_LE(MaxDifference(RgbOf(tiff), ReadFixture(name + ".rgb")), GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    RealFiles, TiffFiles,
    ::testing::Values(
        TiffCase{"rgb_none", 0}, TiffCase{"rgb_lzw", 0}, TiffCase{"rgb_lzw_2", 0}, TiffCase{"rgb_zip", 0},
        TiffCase{"rgb_zip_2", 0}, TiffCase{"rgb_packbits", 0}, TiffCase{"rgb_be_none", 0},
        TiffCase{"rgb_be_lzw_2", 0},
        // JPEG strips: YCbCr and RGB data keep red and blue where they are.
        TiffCase{"rgb_jpeg", 3}, TiffCase{"rgb_jpeg_r", 3}, TiffCase{"grey_jpeg", 2},
        // separate planes, 16-bit samples with the predictor in both byte orders
        TiffCase{"rgb_planes_none", 0}, TiffCase{"rgb_planes_lzw_2", 0}, TiffCase{"rgb16_lzw_2", 1},
        TiffCase{"rgb16_be_zip_2", 1},
        // alpha and grey with alpha (two samples a pixel)
        TiffCase{"rgba_lzw", 0}, TiffCase{"ga_zip_2", 0},
        // grey, 2 and 4 bits, indices, bilevel both ways round, fax, CMYK
        TiffCase{"grey_zip", 0}, TiffCase{"grey2_none", 0}, TiffCase{"grey4_packbits", 0},
        TiffCase{"pal8_lzw", 0}, TiffCase{"pal4_be_none", 0}, TiffCase{"bw_none", 0},
        TiffCase{"bw_white_none", 0}, TiffCase{"bw_g3", 0}, TiffCase{"bw_g3_fill", 0},
        TiffCase{"cmyk_none", 2},
        // CMYK with alpha, L*a*b* (the other decoder reads a* and b* half a step
        // off), bits stored least significant first
        TiffCase{"cmyka_zip", 2}, TiffCase{"lab_lzw", 5}, TiffCase{"rgb_none_lsb", 0},
        TiffCase{"rgb_packbits_lsb", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TiffReader, SchemesWithoutACodecAndTilesRaiseAClearError) {
  for (const char* name : {"refused_g4", "refused_g3_2d", "refused_lzma", "refused_zstd", "refused_tiled"}) {
    TTIFFGraphic tiff;
    try {
      LoadPicture(tiff, ReadFixture(std::string("tiff/") + name + ".tif"));
      ADD_FAILURE() << name << " loaded";
    } catch (const EInvalidGraphic& e) {
      EXPECT_NE(std::string(e.Message()).find("not supported for TIF/TIFF files."), std::string::npos)
          << name << ": " << e.Message();
    }
    EXPECT_TRUE(tiff.Empty()) << name;
  }
}

// Chroma stored at half resolution needs the JPEG decoder to come back to
// one sample a pixel; without it the picture is refused, not shown garbled.
TEST(TiffReader, SubsampledYCbCrWithoutJpegIsRefused) {
  Bytes file = ReadFixture("tiff/rgb_none.tif");
  const uint32_t ifd = file[4] | file[5] << 8 | file[6] << 16 | file[7] << 24;
  const uint32_t count = file[ifd] | file[ifd + 1] << 8;
  bool patched = false;
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = file.data() + ifd + 2 + 12 * i;
    if ((e[0] | e[1] << 8) == 262) {  // photometric: YCbCr, no subsampling tag (2 by 2)
      e[8] = 6;
      patched = true;
    }
  }
  ASSERT_TRUE(patched);
  TTIFFGraphic tiff;
  try {
    LoadPicture(tiff, file);
    ADD_FAILURE() << "loaded";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(std::string(e.Message()),
              "Cannot load image. Subsampled YCbCr images without JPEG compression are not supported for "
              "TIF/TIFF files.");
  }
  EXPECT_TRUE(tiff.Empty());
}

// The standard says a missing compression tag means none.
TEST(TiffReader, MissingCompressionTagMeansNone) {
  Bytes file = ReadFixture("tiff/rgb_none.tif");
  TiffFixture t = ParseTiff(file);
  ASSERT_FALSE(t.bigEndian);
  const uint32_t ifd = file[4] | file[5] << 8 | file[6] << 16 | file[7] << 24;
  const uint32_t count = file[ifd] | file[ifd + 1] << 8;
  bool patched = false;
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = file.data() + ifd + 2 + 12 * i;
    if ((e[0] | e[1] << 8) == 259) {
      e[0] = 0xE8;  // tag 65000, which no reader knows
      e[1] = 0xFD;
      patched = true;
    }
  }
  ASSERT_TRUE(patched);
  TTIFFGraphic tiff;
  LoadPicture(tiff, file);
  EXPECT_EQ(tiff.ImageProperties.Compression, ctNone);
  EXPECT_EQ(RgbOf(tiff), ReadFixture("tiff/rgb_none.rgb"));
}

// A chain of directories whose next offset points back at itself ends.
TEST(TiffReader, DirectoryChainThatLoopsEnds) {
  Bytes file = ReadFixture("tiff/grey_zip.tif");
  const uint32_t ifd = file[4] | file[5] << 8 | file[6] << 16 | file[7] << 24;
  const uint32_t count = file[ifd] | file[ifd + 1] << 8;
  uint8_t* next = file.data() + ifd + 2 + 12 * count;
  for (int i = 0; i < 4; ++i) next[i] = uint8_t(ifd >> (8 * i));
  TTIFFGraphic tiff;
  TStringStream stream(std::string(file.begin(), file.end()));
  EXPECT_TRUE(tiff.ReadImageProperties(stream, 0));
  stream.SetPosition(0);
  EXPECT_FALSE(tiff.ReadImageProperties(stream, 3));
  stream.SetPosition(0);
  EXPECT_FALSE(tiff.ReadImageProperties(stream, 1000000));
}

TEST(TiffReader, PropertiesOfTheHeader) {
  TTIFFGraphic tiff;
  TStringStream stream(std::string(1, 'x'));
  EXPECT_FALSE(TTIFFGraphic::CanLoadFromStream(stream));
  Bytes file = ReadFixture("tiff/rgb_be_none.tif");
  TStringStream be(std::string(file.begin(), file.end()));
  EXPECT_TRUE(TTIFFGraphic::CanLoadFromStream(be));
  EXPECT_EQ(be.Position(), 0);
  ASSERT_TRUE(tiff.ReadImageProperties(be, 0));
  const TImageProperties& p = tiff.ImageProperties;
  EXPECT_EQ(p.Version, 42u);
  EXPECT_TRUE(p.Options & ioBigEndian);
  EXPECT_EQ(p.SamplesPerPixel, 3);
  EXPECT_EQ(p.RowsPerStrip, TCardinalArray{5});
  // Only eight bytes: too short for any directory.
  TStringStream eight(std::string(file.begin(), file.begin() + 8));
  EXPECT_FALSE(TTIFFGraphic::CanLoadFromStream(eight));
}

TEST(EpsReader, ShowsItsTiffPreview) {
  const Bytes file = ReadFixture("tiff/preview.eps");
  TStringStream stream(std::string(file.begin(), file.end()));
  EXPECT_TRUE(TEPSGraphic::CanLoadFromStream(stream));
  EXPECT_FALSE(TTIFFGraphic::CanLoadFromStream(stream));
  TEPSGraphic eps;
  LoadPicture(eps, file);
  EXPECT_EQ(RgbOf(eps), ReadFixture("tiff/preview.rgb"));
  TEPSGraphic plain;
  try {
    LoadPicture(plain, ReadFixture("tiff/rgb_none.tif"));
    ADD_FAILURE() << "a TIFF loaded as EPS";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(std::string(e.Message()), "Cannot load image. Invalid or unexpected EPS image format.");
  }
}

TEST(TiffReader, DamagedCopiesFailCleanly) {
  for (const char* name : {"rgb_lzw_2", "rgb_jpeg", "rgb_planes_lzw_2", "pal4_be_none", "bw_g3", "rgb16_be_zip_2",
                           "ga_zip_2", "rgb_packbits"})
    LoadDamagedCopies<TTIFFGraphic>(ReadFixture(std::string("tiff/") + name + ".tif"));
  LoadDamagedCopies<TEPSGraphic>(ReadFixture("tiff/preview.eps"));
}

// The last strip of five (rows 20 to 22) made to start 10 bytes before the
// end of the file: those bytes show, the rest of the strip is black, and no
// row of the strip before it shows through.
TEST(TiffReader, StripCutShortByTheEndOfTheFileShowsBlack) {
  Bytes file = ReadFixture("tiff/rgb_none.tif");  // little-endian
  const uint32_t ifd = ReadLe32(file.data(), 4);
  uint32_t list = 0;
  for (uint32_t i = 0, n = ReadLe16(file.data(), ifd); i < n; ++i)
    if (ReadLe16(file.data(), ifd + 2 + 12 * i) == 273) list = ReadLe32(file.data(), ifd + 2 + 12 * i + 8);
  ASSERT_EQ(ParseTiff(file).tags.at(273).size(), 5u);
  const uint32_t last = static_cast<uint32_t>(file.size() - 10);
  for (int k = 0; k < 4; ++k) file[list + 16 + k] = uint8_t(last >> (8 * k));

  TTIFFGraphic tiff;
  LoadPicture(tiff, file);
  const Bytes rgb = RgbOf(tiff), wanted = ReadFixture("tiff/rgb_none.rgb");
  const size_t row = 37 * 3, cut = 20 * row;
  EXPECT_EQ(MaxDifference(Bytes(rgb.begin(), rgb.begin() + cut), Bytes(wanted.begin(), wanted.begin() + cut)), 0);
  // The bitmap holds blue, green, red: the 10 bytes fill three pixels and
  // one sample of a fourth.
  EXPECT_TRUE(std::all_of(rgb.begin() + cut + 12, rgb.end(), [](uint8_t v) { return v == 0; }));
}

// A header that declares a picture far larger than its few bytes of strips
// could ever fill is refused before its bitmap is made.
TEST(TiffReader, SizeFarBeyondTheDataIsRefused) {
  Bytes file = ReadFixture("tiff/rgb_zip.tif");
  const uint32_t ifd = file[4] | file[5] << 8 | file[6] << 16 | file[7] << 24;
  const uint32_t count = file[ifd] | file[ifd + 1] << 8;
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* e = file.data() + ifd + 2 + 12 * i;
    const int tag = e[0] | e[1] << 8;
    if (tag == 256 || tag == 257 || tag == 278) {
      e[2] = 4;  // LONG
      e[3] = 0;
      const uint32_t v = tag == 278 ? 0xFFFFFFFF : 9000;
      for (int k = 0; k < 4; ++k) e[8 + k] = uint8_t(v >> (8 * k));
    }
  }
  TTIFFGraphic tiff;
  EXPECT_THROW(LoadPicture(tiff, file), EInvalidGraphic);
}

}  // namespace

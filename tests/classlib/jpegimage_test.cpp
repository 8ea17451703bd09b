#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "classlib/jpegimage.h"
#include "classlib/streams.h"
#include "testdata.h"

namespace {

void LoadBytes(TGraphic& graphic, const std::string& bytes) {
  TStringStream stream(bytes);
  graphic.LoadFromStream(stream);
}

const uint8_t* Row(const TBitmap& b, int y) { return static_cast<const uint8_t*>(b.ScanLine(y)); }

}  // namespace

// The picture libjpeg decodes matches the BMP that another decoder made of
// the same file, within the rounding of two decoders.
TEST(JPEGImage, DecodesLikeItsBmpTwin) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(TestData("small.jpg"));
  TBitmap twin;
  twin.LoadFromFile(TestData("small-twin.bmp"));
  const TBitmap& decoded = jpeg.Bitmap();
  ASSERT_EQ(decoded.PixelFormat(), pf24bit);
  ASSERT_EQ(decoded.Width(), 32);
  ASSERT_EQ(decoded.Height(), 24);
  ASSERT_EQ(twin.PixelFormat(), pf24bit);
  int worst = 0;
  for (int y = 0; y < 24; ++y)
    for (int i = 0; i < 32 * 3; ++i) worst = std::max(worst, std::abs(Row(decoded, y)[i] - Row(twin, y)[i]));
  EXPECT_LE(worst, 3);
  // The red rectangle near the top left: B, G, R.
  const uint8_t* p = Row(decoded, 4) + 5 * 3;
  EXPECT_LT(p[0], 40);
  EXPECT_GT(p[2], 215);
}

TEST(JPEGImage, GreyPictureBecomesAnEightBitGreyBitmap) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(TestData("grey.jpg"));
  const TBitmap& b = jpeg.Bitmap();
  ASSERT_EQ(b.PixelFormat(), pf8bit);
  ASSERT_EQ(b.Colors().size(), 256u);
  EXPECT_EQ(b.Colors()[200], (TPaletteEntry{200, 200, 200, 0}));
  EXPECT_GT(Row(b, 0)[0], 240);  // white at the top
  EXPECT_LT(Row(b, 7)[0], 15);   // black at the bottom
}

TEST(JPEGImage, SavesTheBytesItReadAndAssignsToABitmap) {
  const std::string bytes = ReadTestFile("small.jpg");
  TJPEGImage jpeg;
  LoadBytes(jpeg, bytes);
  TStringStream out;
  jpeg.SaveToStream(out);
  EXPECT_EQ(out.DataString(), bytes);
  TBitmap b;
  b.Assign(&jpeg);
  EXPECT_EQ(b.Width(), 32);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  TJPEGImage copy;
  copy.Assign(&jpeg);
  EXPECT_EQ(copy.Height(), 24);
  EXPECT_THROW(jpeg.SetWidth(3), EInvalidGraphicOperation);
}

TEST(JPEGImage, ReportsProgressFromStartToEnd) {
  TJPEGImage jpeg;
  std::vector<TProgressStage> stages;
  std::vector<int> percents;
  jpeg.OnProgress = [&](TObject*, TProgressStage stage, uint8_t percent, bool, const TRect& r,
                        const std::string&) {
    stages.push_back(stage);
    percents.push_back(percent);
    EXPECT_EQ(r, Rect(0, 0, 32, 24));
  };
  jpeg.LoadFromFile(TestData("small.jpg"));
  ASSERT_GE(stages.size(), 3u);
  EXPECT_EQ(stages.front(), psStarting);
  EXPECT_EQ(stages.back(), psEnding);
  EXPECT_EQ(percents.back(), 100);
}

// Data libjpeg cannot decode raises EInvalidGraphic and keeps the picture.
TEST(JPEGImage, DamagedDataRaisesInvalidGraphic) {
  const std::string good = ReadTestFile("small.jpg");
  std::string noFrame = good;
  // Every marker after the start of the image becomes filler: no frame header.
  for (size_t i = 2; i + 1 < noFrame.size(); ++i)
    if (static_cast<uint8_t>(noFrame[i]) == 0xFF && static_cast<uint8_t>(noFrame[i + 1]) == 0xC0)
      noFrame[i + 1] = '\x01';
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not a JPEG", "\x89PNG\r\n\x1A\n0000"},
      {"start of image only", "\xFF\xD8"},
      {"header cut short", good.substr(0, 40)},
      {"no frame header", noFrame},
  };
  TJPEGImage jpeg;
  LoadBytes(jpeg, good);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(LoadBytes(jpeg, c.bytes), EInvalidGraphic);
    EXPECT_EQ(jpeg.Width(), 32);
  }
}

// A file cut off inside the compressed rows still shows what it holds.
TEST(JPEGImage, PictureCutShortLoadsAsFarAsItGoes) {
  const std::string good = ReadTestFile("small.jpg");
  TJPEGImage jpeg;
  LoadBytes(jpeg, good.substr(0, good.size() - 200));
  EXPECT_EQ(jpeg.Width(), 32);
  EXPECT_EQ(jpeg.Height(), 24);
}

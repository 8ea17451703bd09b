#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "classlib/bitmap.h"
#include "classlib/streams.h"
#include "testdata.h"

namespace {

void Put16(std::string& s, size_t at, uint32_t v) {
  s[at] = static_cast<char>(v);
  s[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& s, size_t at, uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}

// A BMP file with a 40-byte info header, the given colour table (BGRA
// quads), extra header bytes (masks) and pixel bytes.
std::string MakeBmp(int32_t width, int32_t height, int bits, uint32_t compression,
                    const std::string& colors, const std::string& pixels,
                    const std::string& masks = {}) {
  std::string s(54, '\0');
  s[0] = 'B';
  s[1] = 'M';
  const auto off = static_cast<uint32_t>(54 + masks.size() + colors.size());
  Put32(s, 2, static_cast<uint32_t>(off + pixels.size()));
  Put32(s, 10, off);
  Put32(s, 14, 40);
  Put32(s, 18, static_cast<uint32_t>(width));
  Put32(s, 22, static_cast<uint32_t>(height));
  Put16(s, 26, 1);
  Put16(s, 28, static_cast<uint32_t>(bits));
  Put32(s, 30, compression);
  Put32(s, 46, static_cast<uint32_t>(colors.size() / 4));
  return s + masks + colors + pixels;
}

void LoadBytes(TBitmap& bitmap, const std::string& bytes) {
  TStringStream stream(bytes);
  bitmap.LoadFromStream(stream);
}

uint8_t* Row(TBitmap& b, int y) { return static_cast<uint8_t*>(b.ScanLine(y)); }

}  // namespace

// Rows are 4-byte aligned and lie bottom-up: row 0 is the last in memory.
TEST(Bitmap, ScanLinesAreBottomUpAndPaddedPerFormat) {
  struct Case {
    TPixelFormat format;
    int64_t stride;  // for 5 pixels
  } cases[] = {{pf1bit, 4}, {pf4bit, 4}, {pf8bit, 8},  {pf15bit, 12},
               {pf16bit, 12}, {pf24bit, 16}, {pf32bit, 20}, {pfDevice, 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.format));
    TBitmap b;
    b.SetPixelFormat(c.format);
    b.SetSize(5, 3);
    EXPECT_EQ(b.PixelFormat(), c.format);
    EXPECT_EQ(b.HandleType(), c.format == pfDevice ? bmDDB : bmDIB);
    EXPECT_EQ(b.RowStride(), c.stride);
    EXPECT_EQ(Row(b, 0) - Row(b, 1), c.stride);
    EXPECT_EQ(Row(b, 1) - Row(b, 2), c.stride);
    EXPECT_THROW(b.ScanLine(3), EInvalidGraphicOperation);
    EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
  }
}

TEST(Bitmap, EmptyBitmapHasNoScanLinesAndRefusesBadSizes) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.PixelFormat(), pfDevice);
  EXPECT_THROW(b.ScanLine(0), EInvalidGraphicOperation);
  EXPECT_THROW(b.SetSize(-1, 4), EInvalidGraphic);
  b.SetPixelFormat(pf24bit);
  EXPECT_THROW(b.SetSize(100000, 100000), EInvalidGraphic);
  EXPECT_TRUE(b.Empty());
  EXPECT_THROW(b.SetPixelFormat(pfCustom), EInvalidGraphicOperation);
}

TEST(Bitmap, ResizingKeepsThePixelsOfTheTopLeft) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(2, 2);
  Row(b, 0)[0] = 11;
  Row(b, 1)[3] = 22;
  b.SetSize(4, 3);
  EXPECT_EQ(Row(b, 0)[0], 11);
  EXPECT_EQ(Row(b, 1)[3], 22);
  EXPECT_EQ(Row(b, 2)[0], 0);
}

TEST(Bitmap, ChangingFormatKeepsIndicesWhenThePaletteGrowsAndMatchesColoursOtherwise) {
  TBitmap b;
  b.SetPixelFormat(pf4bit);
  b.SetSize(2, 1);
  Row(b, 0)[0] = 0x9C;  // pixel 0 index 9 (bright red), pixel 1 index 12 (bright blue)
  b.SetPixelFormat(pf8bit);
  EXPECT_EQ(Row(b, 0)[0], 9);
  EXPECT_EQ(Row(b, 0)[1], 12);
  b.SetPixelFormat(pf24bit);
  EXPECT_EQ(Row(b, 0)[2], 255);  // red of pixel 0 (B, G, R)
  EXPECT_EQ(Row(b, 0)[3], 255);  // blue of pixel 1
  b.SetPixelFormat(pf1bit);
  EXPECT_EQ(Row(b, 0)[0] & 0xC0, 0x00);  // both dark: black
  b.SetHandleType(bmDDB);
  EXPECT_EQ(b.PixelFormat(), pfDevice);
  b.SetHandleType(bmDIB);
  EXPECT_EQ(b.PixelFormat(), pf32bit);
}

TEST(Bitmap, PaletteBecomesTheColourTableOfAnIndexedBitmap) {
  TBitmap b;
  b.SetPixelFormat(pf1bit);
  std::vector<TPaletteEntry> entries{{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  b.SetPalette(CreatePaletteFromEntries(entries));
  ASSERT_EQ(b.Colors().size(), 2u);  // cut to what one bit can index
  EXPECT_EQ(b.Colors()[1], (TPaletteEntry{4, 5, 6, 0}));
  EXPECT_EQ(PaletteEntries(b.Palette()), b.Colors());
}

TEST(Bitmap, FillAndDefaultTransparentColour) {
  TBitmap b;
  b.SetPixelFormat(pf8bit);
  b.SetSize(3, 2);
  b.Fill(RGBColor(255, 0, 0));
  EXPECT_EQ(b.TransparentColor(), RGBColor(255, 0, 0));
  b.SetTransparentColor(clWhite);
  EXPECT_EQ(b.TransparentColor(), clWhite);
}

// Every format survives a save and a load: size, format, colours and pixels.
TEST(Bitmap, BmpRoundTripKeepsEveryFormat) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(static_cast<int>(format));
    TBitmap b;
    b.SetPixelFormat(format);
    if (format == pf8bit) {
      std::vector<TPaletteEntry> entries;
      for (int i = 0; i < 40; ++i)
        entries.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(2 * i), 7, 0});
      b.SetPalette(CreatePaletteFromEntries(entries));
    }
    b.SetSize(16, 5);
    const auto rowBytes = static_cast<size_t>(16 * PixelFormatBits(format) / 8);
    for (int y = 0; y < 5; ++y)
      for (size_t i = 0; i < rowBytes; ++i)
        Row(b, y)[i] = static_cast<uint8_t>(format == pf8bit ? (y * 7 + i) % 40 : y * 31 + i * 3);
    TMemoryStream stream;
    b.SaveToStream(stream);
    stream.SetPosition(0);
    TBitmap loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), stream.Size());
    EXPECT_EQ(loaded.PixelFormat(), format);
    EXPECT_EQ(loaded.Width(), 16);
    EXPECT_EQ(loaded.Height(), 5);
    EXPECT_EQ(loaded.Colors(), b.Colors());
    for (int y = 0; y < 5; ++y) EXPECT_EQ(std::memcmp(Row(loaded, y), Row(b, y), rowBytes), 0);
  }
}

TEST(Bitmap, TopDownBmpLoadsWithItsFirstStoredRowOnTop) {
  std::string pixels("\x01\x02\x03\x00\x04\x05\x06\x00", 8);  // two rows of one 24-bit pixel
  TBitmap b;
  LoadBytes(b, MakeBmp(1, -2, 24, 0, "", pixels));
  ASSERT_EQ(b.Height(), 2);
  EXPECT_EQ(Row(b, 0)[0], 1);
  EXPECT_EQ(Row(b, 1)[0], 4);
}

TEST(Bitmap, BitFieldBmpsLoad) {
  // 5-6-5: pure red is 0xF800.
  std::string masks565;
  masks565.resize(12);
  Put32(masks565, 0, 0xF800);
  Put32(masks565, 4, 0x07E0);
  Put32(masks565, 8, 0x001F);
  TBitmap b;
  LoadBytes(b, MakeBmp(1, 1, 16, 3, "", std::string("\x00\xF8\x00\x00", 4), masks565));
  EXPECT_EQ(b.PixelFormat(), pf16bit);
  EXPECT_EQ(Row(b, 0)[1], 0xF8);
  // Red in the low byte: unusual masks are unpacked into 32-bit pixels.
  std::string rgbx;
  rgbx.resize(12);
  Put32(rgbx, 0, 0x0000FF);
  Put32(rgbx, 4, 0x00FF00);
  Put32(rgbx, 8, 0xFF0000);
  LoadBytes(b, MakeBmp(1, 1, 32, 3, "", std::string("\x10\x20\x30\x00", 4), rgbx));
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  EXPECT_EQ(Row(b, 0)[0], 0x30);  // blue
  EXPECT_EQ(Row(b, 0)[2], 0x10);  // red
}

TEST(Bitmap, RunLengthBmpsDecodeRunsJumpsAndLiteralRuns) {
  std::string colors(16 * 4, '\0');
  // RLE8, 6 x 3: row 0 (bottom) a run of 3 x 5, then a literal run 1 2 3;
  // a jump right 1 and up 1, then a run of 2 x 9 in row 2 at column 1.
  std::string rle8("\x03\x05\x00\x03\x01\x02\x03\x00\x00\x00\x00\x02\x01\x01\x02\x09\x00\x01", 18);
  TBitmap b;
  LoadBytes(b, MakeBmp(6, 3, 8, 1, std::string(256 * 4, '\0'), rle8));
  const uint8_t bottom[6] = {5, 5, 5, 1, 2, 3};
  EXPECT_EQ(std::memcmp(Row(b, 2), bottom, 6), 0);
  const uint8_t top[6] = {0, 9, 9, 0, 0, 0};
  EXPECT_EQ(std::memcmp(Row(b, 0), top, 6), 0);
  // RLE4, 6 x 1: a run of 3 alternating 1 and 2, then a literal run 7 8 9.
  std::string rle4("\x03\x12\x00\x03\x78\x90\x00\x01", 8);
  LoadBytes(b, MakeBmp(6, 1, 4, 2, colors, rle4));
  EXPECT_EQ(b.PixelFormat(), pf4bit);
  const uint8_t row4[3] = {0x12, 0x17, 0x89};
  EXPECT_EQ(std::memcmp(Row(b, 0), row4, 3), 0);
}

// Runs that claim more pixels than a row holds are cut, not written past it.
TEST(Bitmap, RunLengthRunsPastTheRowAreClipped) {
  std::string rle8("\xFF\x07\xFF\x07\x00\x02\xFF\xFF\x00\xFF", 10);
  rle8 += std::string(255, '\x01');
  TBitmap b;
  LoadBytes(b, MakeBmp(3, 2, 8, 1, std::string(8, '\0'), rle8));
  EXPECT_EQ(Row(b, 1)[0], 7);
  EXPECT_EQ(Row(b, 1)[2], 7);
  EXPECT_EQ(Row(b, 1)[3], 0);  // padding stays untouched
}

TEST(Bitmap, RunLengthFileMatchesItsUncompressedTwin) {
  TBitmap rle, plain;
  rle.LoadFromFile(TestData("rle8.bmp"));
  plain.LoadFromFile(TestData("rle8-twin.bmp"));
  ASSERT_EQ(rle.Width(), 20);
  ASSERT_EQ(rle.Height(), 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) {
      const TPaletteEntry& a = rle.Colors().at(Row(rle, y)[x]);
      const TPaletteEntry& b = plain.Colors().at(Row(plain, y)[x]);
      EXPECT_EQ(a, b) << x << "," << y;
    }
  EXPECT_EQ(rle.Colors().at(Row(rle, 0)[0]), (TPaletteEntry{255, 0, 0, 0}));
}

// Damaged files raise EInvalidGraphic and leave the bitmap as it was.
TEST(Bitmap, DamagedBmpsRaiseInvalidGraphic) {
  const std::string pixel24("\x01\x02\x03\x00", 4);
  const std::string good = MakeBmp(1, 1, 24, 0, "", pixel24);
  auto with32 = [&](size_t at, uint32_t v) {
    std::string s = good;
    Put32(s, at, v);
    return s;
  };
  auto with16 = [&](size_t at, uint32_t v) {
    std::string s = good;
    Put16(s, at, v);
    return s;
  };
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not a bitmap", "BA" + good.substr(2)},
      {"header cut short", good.substr(0, 30)},
      {"unknown info header size", with32(14, 7)},
      {"negative width", with32(18, 0xFFFFFFFF)},
      {"impossible bit count", with16(28, 3)},
      {"unknown compression", with32(30, 9)},
      {"RLE8 at 24 bits", with32(30, 1)},
      {"bit fields at 24 bits", with32(30, 3)},
      {"pixels cut short", good.substr(0, good.size() - 1)},
      {"pixel offset past the end", with32(10, 0x7FFFFFF0)},
      {"far too large", [&] {
         std::string s = with32(18, 60000);
         Put32(s, 22, 60000);
         return s;
       }()},
      {"colour table cut short", MakeBmp(1, 1, 8, 0, std::string(4, '\0'), "").substr(0, 56)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TBitmap b;
    b.SetPixelFormat(pf8bit);
    b.SetSize(2, 2);
    TStringStream stream(c.bytes);
    EXPECT_THROW(b.LoadFromStream(stream), EInvalidGraphic);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.PixelFormat(), pf8bit);
  }
}

TEST(Bitmap, AssignCopiesPixelsAndColours) {
  TBitmap a;
  a.SetPixelFormat(pf8bit);
  a.SetSize(3, 2);
  Row(a, 1)[2] = 77;
  TBitmap b;
  b.Assign(&a);
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(Row(b, 1)[2], 77);
  EXPECT_NE(Row(b, 1), Row(a, 1));
  EXPECT_EQ(b.Colors(), a.Colors());
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
}

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/bitmap.h"
#include "classlib/icon.h"
#include "classlib/jpegimage.h"
#include "classlib/metafile.h"
#include "classlib/streams.h"
#include "testdata.h"

namespace {

// A white 24-bit surface to draw on, selected into a memory DC.
class Surface {
public:
  Surface(int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    PatBlt(dc_, 0, 0, width, height, WHITENESS);
  }
  ~Surface() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  HDC dc() const { return dc_; }
  COLORREF Pixel(int x, int y) const {
    GdiFlush();
    return GetPixel(dc_, x, y);
  }

private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

void LoadBytes(TGraphic& graphic, const std::string& bytes) {
  TStringStream stream(bytes);
  graphic.LoadFromStream(stream);
}

std::string MetafileBytes(HENHMETAFILE emf) {
  std::string bytes(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
  GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
  return bytes;
}

// An enhanced metafile 2 cm square, with a blue square in its top left
// quarter, made by the system.
HENHMETAFILE MakeMetafile() {
  RECT frame{0, 0, 2000, 2000};
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
  // Logical units of the reference device: cover a quarter of the frame.
  const int w = GetDeviceCaps(dc, HORZRES) * 2000 / (GetDeviceCaps(dc, HORZSIZE) * 100);
  const int h = GetDeviceCaps(dc, VERTRES) * 2000 / (GetDeviceCaps(dc, VERTSIZE) * 100);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  RECT quarter{0, 0, w / 2, h / 2};
  FillRect(dc, &quarter, blue);
  DeleteObject(blue);
  return CloseEnhMetaFile(dc);
}

}  // namespace

// The pixels a reader writes through ScanLine are the DIB section's own.
TEST(BitmapWindows, ScanLinesAreTheDibSectionsBottomUpBits) {
  TBitmap b;
  b.SetPixelFormat(pf8bit);
  b.SetSize(5, 4);
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(b.Handle(), sizeof(section), &section), static_cast<int>(sizeof(section)));
  EXPECT_EQ(section.dsBm.bmBits, b.ScanLine(3));
  EXPECT_GT(section.dsBmih.biHeight, 0);
  EXPECT_EQ(section.dsBmih.biBitCount, 8);
  EXPECT_EQ(section.dsBm.bmWidthBytes, b.RowStride());
}

TEST(BitmapWindows, PaletteReachesTheDibSectionsColourTable) {
  TBitmap b;
  b.SetPixelFormat(pf4bit);
  b.SetSize(2, 2);
  std::vector<TPaletteEntry> entries{{10, 20, 30, 0}, {40, 50, 60, 0}};
  b.SetPalette(CreatePaletteFromEntries(entries));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b.Handle());
  RGBQUAD table[16] = {};
  const UINT n = GetDIBColorTable(dc, 0, 16, table);
  SelectObject(dc, old);
  DeleteDC(dc);
  ASSERT_GE(n, 2u);
  EXPECT_EQ(table[1].rgbRed, 40);
  EXPECT_EQ(table[1].rgbBlue, 60);
  PALETTEENTRY got[4] = {};
  EXPECT_EQ(GetPaletteEntries(b.Palette(), 0, 4, got), 2u);
  EXPECT_EQ(got[0].peGreen, 20);
}

TEST(BitmapWindows, DrawStretchesAndHonoursTransparency) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(2, 2);
  b.Fill(RGBColor(255, 0, 0));
  uint8_t* top = static_cast<uint8_t*>(b.ScanLine(0));
  top[3] = 255;  // top right pixel blue (B, G, R)
  top[5] = 0;
  Surface surface(8, 8);
  b.Draw(surface.dc(), Rect(0, 0, 8, 8));
  EXPECT_EQ(surface.Pixel(1, 6), RGB(255, 0, 0));
  EXPECT_EQ(surface.Pixel(6, 1), RGB(0, 0, 255));

  Surface clear(8, 8);
  b.SetTransparentColor(RGBColor(255, 0, 0));
  b.SetTransparent(true);
  b.Draw(clear.dc(), Rect(0, 0, 8, 8));
  EXPECT_EQ(clear.Pixel(1, 6), RGB(255, 255, 255));
  EXPECT_EQ(clear.Pixel(6, 1), RGB(0, 0, 255));
}

TEST(BitmapWindows, JpegPictureDraws) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(TestData("small.jpg"));
  Surface surface(32, 24);
  jpeg.Draw(surface.dc(), Rect(0, 0, 32, 24));
  const COLORREF c = surface.Pixel(5, 4);  // inside the red rectangle
  EXPECT_GT(GetRValue(c), 215);
  EXPECT_LT(GetBValue(c), 40);
}

TEST(IconWindows, LoadedIconHasAHandleAndDraws) {
  TIcon icon;
  icon.LoadFromFile(TestData("icon.ico"));
  ASSERT_NE(icon.Handle(), nullptr);
  Surface surface(32, 32);
  icon.Draw(surface.dc(), Rect(0, 0, 32, 32));
  EXPECT_EQ(surface.Pixel(3, 3), RGB(0, 0, 255));
  EXPECT_EQ(surface.Pixel(28, 28), RGB(255, 0, 0));
}

TEST(MetafileWindows, EnhancedMetafileLoadsSizesAndDraws) {
  HENHMETAFILE emf = MakeMetafile();
  const std::string bytes = MetafileBytes(emf);
  DeleteEnhMetaFile(emf);
  TMetafile metafile;
  LoadBytes(metafile, bytes);
  EXPECT_TRUE(metafile.Enhanced());
  EXPECT_NEAR(metafile.Width(), 76, 3);  // 2 cm at 96 dots per inch
  Surface surface(40, 40);
  metafile.Draw(surface.dc(), Rect(0, 0, 40, 40));
  EXPECT_EQ(surface.Pixel(5, 5), RGB(0, 0, 255));
  EXPECT_EQ(surface.Pixel(35, 35), RGB(255, 255, 255));
  TStringStream out;
  metafile.SaveToStream(out);
  EXPECT_EQ(out.DataString(), bytes);
}

TEST(MetafileWindows, PlaceableWindowsMetafileLoads) {
  HENHMETAFILE emf = MakeMetafile();
  HDC screen = GetDC(nullptr);
  const UINT size = GetWinMetaFileBits(emf, 0, nullptr, MM_ANISOTROPIC, screen);
  std::string wmf(size, '\0');
  GetWinMetaFileBits(emf, size, reinterpret_cast<BYTE*>(wmf.data()), MM_ANISOTROPIC, screen);
  ReleaseDC(nullptr, screen);
  DeleteEnhMetaFile(emf);
  ASSERT_GT(size, 0u);
  // The placeable header: key, handle 0, box 0 0 1440 1440 at 1440 per inch.
  std::string header(22, '\0');
  const uint16_t words[11] = {0xCDD7, 0x9AC6, 0, 0, 0, 1440, 1440, 1440, 0, 0, 0};
  for (int i = 0; i < 11; ++i) {
    header[2 * i] = static_cast<char>(words[i]);
    header[2 * i + 1] = static_cast<char>(words[i] >> 8);
  }
  TMetafile metafile;
  LoadBytes(metafile, header + wmf);
  EXPECT_FALSE(metafile.Enhanced());
  EXPECT_EQ(metafile.Width(), 96);
  EXPECT_NE(metafile.Handle(), nullptr);
}

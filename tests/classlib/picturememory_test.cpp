// Pictures whose headers declare far more than their data holds: the memory
// a load takes follows the data, not the declared size. Each case is its own
// process under ctest, so the peak working set it reads is its own.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "classlib/bitmap.h"
#include "classlib/jpegimage.h"
#include "classlib/streams.h"
#include "peakmemory.h"
#include "testdata.h"

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

// A small grey JPEG made here, with the frame's size then overwritten.
std::string SmallJpeg(bool progressive) {
  jpeg_compress_struct c{};
  jpeg_error_mgr errors{};
  c.err = jpeg_std_error(&errors);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = 64;
  c.image_height = 64;
  c.input_components = 1;
  c.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&c);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(64);
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < 64; ++x) row[x] = static_cast<JSAMPLE>((x * 7 + c.next_scanline * 13) & 255);
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
  std::string bytes(reinterpret_cast<char*>(out), size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

std::string WithFrameSize(std::string jpeg, uint16_t width, uint16_t height) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    const auto m = static_cast<uint8_t>(jpeg[i + 1]);
    if (static_cast<uint8_t>(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC2)) {
      jpeg[i + 5] = static_cast<char>(height >> 8);
      jpeg[i + 6] = static_cast<char>(height);
      jpeg[i + 7] = static_cast<char>(width >> 8);
      jpeg[i + 8] = static_cast<char>(width);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no frame header";
  return jpeg;
}

// Loads bytes into graphic and answers how far the peak working set rose.
template <class Graphic>
uint64_t PeakGrowthOfLoad(Graphic& graphic, const std::string& bytes, bool& failed) {
  const uint64_t before = PeakWorkingSet();
  TStringStream stream(bytes);
  failed = false;
  try {
    graphic.LoadFromStream(stream);
  } catch (const EInvalidGraphic&) {
    failed = true;
  }
  const uint64_t after = PeakWorkingSet();
  return after > before ? after - before : 0;
}

}  // namespace

TEST(PictureMemory, JpegFrameItsDataCannotDescribeIsRefused) {
  for (bool progressive : {false, true}) {
    const std::string bytes = WithFrameSize(SmallJpeg(progressive), 8000, 8000);
    ASSERT_LT(bytes.size(), 4096u);
    TJPEGImage jpeg;
    bool failed = false;
    const uint64_t growth = PeakGrowthOfLoad(jpeg, bytes, failed);
    EXPECT_TRUE(failed) << progressive;
    EXPECT_LT(growth, 16 * kMiB) << progressive;
  }
}

// A real photograph cut short is still shown as far as it goes.
TEST(PictureMemory, TruncatedJpegStillShowsWhatItHolds) {
  for (bool progressive : {false, true}) {
    const std::string whole = SmallJpeg(progressive);
    TJPEGImage jpeg;
    TStringStream stream(whole.substr(0, whole.size() * 2 / 3));
    EXPECT_NO_THROW(jpeg.LoadFromStream(stream)) << progressive;
    EXPECT_EQ(jpeg.Width(), 64);
  }
  const std::string photo = ReadTestFile("small.jpg");
  TJPEGImage jpeg;
  TStringStream stream(photo.substr(0, photo.size() / 2));
  EXPECT_NO_THROW(jpeg.LoadFromStream(stream));
  EXPECT_EQ(jpeg.Width(), 32);
}

// A run-length bitmap of 126 bytes: 200 white pixels on its first row, then
// "end of picture".
std::string RunLengthBitmap(uint32_t width, uint32_t height) {
  std::string file(126, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, 126);
  put32(10, 14 + 40 + 8);
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  file[26] = 1;
  file[28] = 8;
  put32(30, 1);  // RLE8
  put32(34, 126 - 62);
  put32(46, 2);
  file[62 + 4] = file[62 + 5] = file[62 + 6] = '\xFF';  // the second colour is white
  const char rle[] = {'\xC8', 1, 0, 1};
  std::copy(std::begin(rle), std::end(rle), file.begin() + 62);
  return file;
}

// Such a file declaring 16000 x 15000 pixels is refused; one of 6000 x 5000
// loads, and only the rows it writes take memory.
TEST(PictureMemory, RunLengthBitmapMemoryFollowsItsData) {
  TBitmap huge;
  bool failed = false;
  uint64_t growth = PeakGrowthOfLoad(huge, RunLengthBitmap(16000, 15000), failed);
  EXPECT_TRUE(failed);
  EXPECT_LT(growth, 16 * kMiB);

  TBitmap large;
  growth = PeakGrowthOfLoad(large, RunLengthBitmap(6000, 5000), failed);
  ASSERT_FALSE(failed);
  EXPECT_LT(growth, 16 * kMiB);
  ASSERT_EQ(large.Width(), 6000);
  // The bottom row is the first one stored.
  const auto* bottom = static_cast<const uint8_t*>(large.ScanLine(4999));
  EXPECT_EQ(bottom[199], 1);
  EXPECT_EQ(bottom[200], 0);
  EXPECT_EQ(static_cast<const uint8_t*>(large.ScanLine(0))[0], 0);
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/bitmap.h"
#include "classlib/picture.h"
#include "classlib/streams.h"
#include "imaging/fileformatlist.h"
#include "imaging/imagingerror.h"
#include "imaging/imagingtexts.h"
#include "imaging/readerhelpers.h"
#include "imaging/samplehelpers.h"
#include "testutil.h"

namespace {

std::string RaisedBy(void (*raise)()) {
  try {
    raise();
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "(nothing raised)";
}

TEST(ImagingErrors, MessagesReadAsTheReadersMeanThem) {
  EXPECT_EQ(RaisedBy([] { ImagingErrorFmt(kUnsupportedFeature, {kCompressionScheme, kFormatTIFF}); }),
            "Cannot load image. The compression scheme is not supported for TIF/TIFF files.");
  EXPECT_EQ(RaisedBy([] { ImagingErrorFmt(kInvalidImage, {kFormatSGI}); }),
            "Cannot load image. Invalid or unexpected sgi, bw or rgb(a) image format.");
  EXPECT_EQ(RaisedBy([] { ImagingErrorFmt(kStreamReadError, {kFormatPPM}); }), "Stream read error in PPM file.");
  EXPECT_EQ(RaisedBy([] { ImagingError(kUnknownCriticalChunk); }),
            "Cannot load PNG image. Unexpected but critical chunk detected.");
  // An argument is inserted as it is; a place without an argument is empty.
  EXPECT_EQ(RaisedBy([] { ImagingErrorFmt(kUnsupportedFeature, {"%s"}); }),
            "Cannot load image. %s not supported for  files.");
}

TEST(ImagingTexts, RegistryDescriptionsAreTheOnesThePictureLoaderGets) {
  // The class library's formats are registered at start with these texts.
  ASSERT_NE(FileFormatList, nullptr);
  const std::pair<const char*, const char*> registered[] = {
      {"bmp", kDescWindowsBitmaps},     {"ico", kDescWindowsIcons}, {"wmf", kDescWindowsMetafiles},
      {"emf", kDescEnhancedMetafiles},  {"jfif", kDescJFIFImages},  {"jpg", kDescJPGImages},
      {"jpe", kDescJPEImages},          {"jpeg", kDescJPEGImages},  {"rle", kDescRLEBitmaps},
      {"dib", kDescDIBBitmaps},
  };
  for (const auto& [extension, description] : registered)
    EXPECT_EQ(TPicture::DescriptionForExtension(extension), description) << extension;
}

TEST(SampleHelpers, UpsampleByTwoAveragesNeighboursAndRepeatsTheEdges) {
  const uint8_t a = 10, b = 21, c = 100, d = 255;
  constexpr uint32_t kStride = 6;  // wider than the doubled row: the rest stays
  Bytes plane(4 * kStride, 0xEE);
  plane[0] = a, plane[1] = b, plane[kStride] = c, plane[kStride + 1] = d;
  UpsampleByTwo(2, 2, kStride, plane);
  auto avg2 = [](int x, int y) { return uint8_t((x + y + 1) / 2); };
  const Bytes top = {a, avg2(a, b), b, b, 0xEE, 0xEE};
  const Bytes middle = {avg2(a, c), uint8_t((a + b + c + d + 2) / 4), avg2(b, d), avg2(b, d), 0xEE, 0xEE};
  const Bytes bottom = {c, avg2(c, d), d, d, 0xEE, 0xEE};
  Bytes expected;
  for (const Bytes* row : {&top, &middle, &bottom, &bottom}) expected.insert(expected.end(), row->begin(), row->end());
  EXPECT_EQ(plane, expected);
}

TEST(SampleHelpers, UpsampleByTwoStaysInsideThePlane) {
  // A single sample fills its 2 x 2 block.
  Bytes one = {7, 0, 0, 0};
  UpsampleByTwo(1, 1, 2, one);
  EXPECT_EQ(one, (Bytes{7, 7, 7, 7}));
  // Nothing to double reads no row before the first.
  Bytes untouched = {1, 2, 3, 4};
  UpsampleByTwo(2, 0, 4, untouched);
  UpsampleByTwo(0, 2, 4, untouched);
  EXPECT_EQ(untouched, (Bytes{1, 2, 3, 4}));
  // A stride narrower than the doubled row, or a plane without room for the
  // doubled rows, is refused before anything is written.
  Bytes small(3 * 4, 9);
  EXPECT_THROW(UpsampleByTwo(2, 2, 3, small), EInvalidGraphic);
  EXPECT_THROW(UpsampleByTwo(2, 2, 4, small), EInvalidGraphic);
  EXPECT_EQ(small, Bytes(12, 9));
  GuardedBuffer exact(3 * 4 + 4);  // the last doubled row needs only its own samples
  exact.Data()[0] = 50;
  UpsampleByTwo(2, 2, 4, std::span<uint8_t>(exact.Data(), exact.Size()));
  EXPECT_TRUE(exact.GuardsIntact());
}

TEST(SampleHelpers, ByteOrderSwaps) {
  EXPECT_EQ(SwapLong(0x11223344u), 0x44332211u);
  static_assert(SwapLong(0x000000FFu) == 0xFF000000u);
  // Starting at an odd address, as values inside a file buffer do.
  Bytes shorts = {0xAA, 1, 2, 3, 4};
  SwapShortArray(shorts.data() + 1, 2);
  EXPECT_EQ(shorts, (Bytes{0xAA, 2, 1, 4, 3}));
  Bytes longs = {0xAA, 1, 2, 3, 4, 5, 6, 7, 8};
  SwapLongArray(longs.data() + 1, 2);
  EXPECT_EQ(longs, (Bytes{0xAA, 4, 3, 2, 1, 8, 7, 6, 5}));
  // A count of 0 changes nothing (a one-pixel-wide image with a predictor).
  SwapShortArray(shorts.data(), 0);
  SwapLongArray(longs.data(), 0);
  EXPECT_EQ(shorts, (Bytes{0xAA, 2, 1, 4, 3}));
  EXPECT_EQ(longs, (Bytes{0xAA, 4, 3, 2, 1, 8, 7, 6, 5}));
}

TEST(ReaderHelpers, LengthsFromAFileAreCheckedAgainstWhatRemains) {
  TStringStream stream("0123456789");
  stream.SetPosition(4);
  EXPECT_EQ(BytesLeft(stream), 6);
  EXPECT_NO_THROW(NeedBytes(stream, 6));
  EXPECT_THROW(NeedBytes(stream, 7), EReadError);
  EXPECT_THROW(NeedBytes(stream, UINT64_MAX), EReadError);
  stream.SetPosition(20);
  EXPECT_EQ(BytesLeft(stream), 0);

  stream.SetPosition(4);
  char buffer[8] = {};
  ReadExact(stream, buffer, 6);
  EXPECT_EQ(std::string(buffer, 6), "456789");
  stream.SetPosition(8);
  EXPECT_THROW(ReadExact(stream, buffer, 3), EReadError);
}

TEST(ReaderHelpers, SignatureTestsLeaveThePositionOnEveryWayOut) {
  TStringStream stream("0123456789");
  stream.SetPosition(3);
  {
    TRestorePosition keep(stream);
    stream.SetPosition(9);
  }
  EXPECT_EQ(stream.Position(), 3);
  try {
    TRestorePosition keep(stream);
    char buffer[20];
    ReadExact(stream, buffer, sizeof buffer);
  } catch (const EReadError&) {
  }
  EXPECT_EQ(stream.Position(), 3);
}

TEST(ReaderHelpers, ImageSizesAreCappedBeforeAnythingIsAllocated) {
  EXPECT_EQ(ImageRowBytes(7, 1), 1u);
  EXPECT_EQ(ImageRowBytes(9, 1), 2u);
  EXPECT_EQ(ImageRowBytes(768, 24), 2304u);
  EXPECT_EQ(ImageBytes(2304, 512), 2304u * 512u);
  // Sizes that wrap in 32 bits (0x10000000 * 32 bits is 1 GiB of bytes, a
  // 32-bit byte count of 0 for 0x80000000 * 32 bits) or even in 64 bits.
  EXPECT_THROW(ImageRowBytes(0x80000000u, 32), EInvalidGraphic);
  EXPECT_THROW(ImageRowBytes(UINT64_MAX, 16), EInvalidGraphic);
  EXPECT_THROW(ImageBytes(0x10000, 0x10000), EInvalidGraphic);
  EXPECT_THROW(ImageBytes(UINT64_MAX, 2), EInvalidGraphic);
  EXPECT_EQ(ImageBytes(TBitmap::kMaxImageBytes, 1), uint64_t(TBitmap::kMaxImageBytes));
}

}  // namespace

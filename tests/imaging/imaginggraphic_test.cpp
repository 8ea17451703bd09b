#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "classlib/picture.h"
#include "classlib/streams.h"
#include "imaging/colormanager.h"
#include "imaging/imagingerror.h"
#include "imaging/imaginggraphic.h"
#include "imaging/imagingtexts.h"
#include "imaging/readerhelpers.h"

namespace {

// A reader of a made-up format, as small as a reader gets: "TST", width and
// height (16-bit little-endian), a flags byte (1: the file gives a gamma,
// 2: it gives one strip), 2 bytes passed over, then rows of BGR bytes.
class TTestGraphic : public TImagingGraphic {
public:
  static constexpr int kHeaderSize = 10;

  static TGraphicClass StaticClass() { return GraphicClassOf<TTestGraphic, TImagingGraphic>("TTestGraphic"); }
  TGraphicClass ClassType() const override { return StaticClass(); }

  static bool CanLoadFromStream(TStream& stream) {
    TRestorePosition keep(stream);
    char magic[3];
    return BytesLeft(stream) > kHeaderSize && stream.Read(magic, 3) == 3 && std::memcmp(magic, "TST", 3) == 0;
  }

  bool ReadImageProperties(TStream& stream, uint32_t imageIndex) override {
    TImagingGraphic::ReadImageProperties(stream, imageIndex);
    uint8_t header[kHeaderSize];
    ReadExact(stream, header, sizeof header);
    if (std::memcmp(header, "TST", 3) != 0) return false;
    ImageProperties.Width = header[3] | header[4] << 8;
    ImageProperties.Height = header[5] | header[6] << 8;
    ImageProperties.ColorScheme = static_cast<uint8_t>(ColorScheme::Bgr);
    ImageProperties.BitsPerSample = 8;
    ImageProperties.SamplesPerPixel = 3;
    ImageProperties.BitsPerPixel = 24;
    ImageProperties.Compression = ctNone;
    if (header[7] & 1) ImageProperties.FileGamma = 2.2f;
    if (header[7] & 2) ImageProperties.RowsPerStrip = {ImageProperties.Height};
    return true;
  }

  void LoadFromStream(TStream& stream) override {
    auto load = BeginLoad(stream);
    seenBase = BasePosition();
    if (!ReadImageProperties(stream, 0)) ImagingErrorFmt(kInvalidImage, {"TST"});
    SeekFromBase(kHeaderSize);
    const TImageProperties& p = ImageProperties;
    ProgressRect = Rect(0, 0, static_cast<int32_t>(p.Width), 1);
    ProgressStarting(kPreparing);
    const uint64_t rowBytes = ImageRowBytes(p.Width, p.BitsPerPixel);
    NeedBytes(stream, ImageBytes(rowBytes, p.Height));
    SetPixelFormat(pf24bit);
    SetSize(static_cast<int>(p.Width), static_cast<int>(p.Height));
    ProgressEnding();
    ProgressStarting(kTransfering);
    for (uint32_t y = 0; y < p.Height; ++y) {
      ReadExact(*Stream(), ScanLine(static_cast<int>(y)), rowBytes);
      ProgressRow(y, p.Height);
    }
    ProgressEnding();
  }

  TStream* CurrentStream() const { return Stream(); }

  int64_t seenBase = -1;
};

std::string TestFile(uint16_t width, uint16_t height, uint8_t flags) {
  std::string file = "TST";
  file += static_cast<char>(width);
  file += static_cast<char>(width >> 8);
  file += static_cast<char>(height);
  file += static_cast<char>(height >> 8);
  file += static_cast<char>(flags);
  file += std::string(2, '\0');
  for (int i = 0; i < width * height * 3; ++i) file += static_cast<char>(i * 7);
  return file;
}

// A stream that stands `offset` bytes further on than the bytes it holds, as
// a picture inside a file larger than 4 GiB would.
class TFarStream : public TStream {
public:
  TFarStream(std::string data, int64_t offset) : inner_(std::move(data)), offset_(offset) {}
  int32_t Read(void* buffer, int32_t count) override { return inner_.Read(buffer, count); }
  int32_t Write(const void* buffer, int32_t count) override { return inner_.Write(buffer, count); }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    if (origin == soBeginning) offset -= offset_;
    return inner_.Seek(offset, origin) + offset_;
  }

private:
  TStringStream inner_;
  int64_t offset_;
};

class TempFile {
public:
  explicit TempFile(const char* name) : path_((std::filesystem::temp_directory_path() / name).string()) {}
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  const std::string& path() const { return path_; }
  void Write(const std::string& bytes) const {
    TFileStream stream(path_, fmCreate);
    stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  }

private:
  std::string path_;
};

struct ProgressCall {
  TProgressStage stage;
  int percent;
  bool redraw;
  TRect rect;
  std::string text;
  friend bool operator==(const ProgressCall&, const ProgressCall&) = default;
};

void PrintTo(const ProgressCall& c, std::ostream* os) {
  *os << "{" << c.stage << ", " << c.percent << ", " << c.redraw << ", (" << c.rect.Left << ","
      << c.rect.Top << "," << c.rect.Right << "," << c.rect.Bottom << "), \"" << c.text << "\"}";
}

TEST(ImagingGraphic, BaseClassClaimsNoStreamAndNoFile) {
  TStringStream empty;
  TStringStream test(TestFile(2, 2, 0));
  EXPECT_FALSE(TImagingGraphic::CanLoadFromStream(empty));
  EXPECT_FALSE(TImagingGraphic::CanLoadFromStream(test));
  EXPECT_TRUE(TTestGraphic::CanLoadFromStream(test));
  EXPECT_EQ(test.Position(), 0);

  TempFile file("ovalis_imaginggraphic.tst");
  file.Write(TestFile(2, 2, 0));
  EXPECT_FALSE(CanLoadFromFile<TImagingGraphic>(file.path()));
  // The file-level test asks the reader's own signature test, and closes the
  // file again (it can be removed right away).
  EXPECT_TRUE(CanLoadFromFile<TTestGraphic>(file.path()));
  EXPECT_TRUE(std::filesystem::remove(file.path()));
  EXPECT_THROW(CanLoadFromFile<TTestGraphic>(file.path()), EFOpenError);
}

TEST(ImagingGraphic, ReadingPropertiesStartsFromAnEmptyRecord) {
  TImagingGraphic graphic;
  TImageProperties& p = graphic.ImageProperties;
  p.Version = 42;
  p.Options = ioBigEndian | ioTiled;
  p.Width = p.Height = 7;
  p.FileGamma = 0.45f;
  p.XResolution = 300;
  p.RowsPerStrip = {1, 2, 3};
  p.YCbCrSubsampling = {2, 2};
  p.JPEGTables = {0xFF, 0xD8};
  p.JPEGTablesMode = 3;
  p.ImageCount = 5;
  p.FilterMode = 1;
  TStringStream stream("anything");
  EXPECT_FALSE(graphic.ReadImageProperties(stream, 0));
  EXPECT_EQ(p.Version, 0u);
  EXPECT_EQ(p.Options, 0);
  EXPECT_EQ(p.Width, 0u);
  EXPECT_EQ(p.FileGamma, 1.0f);
  EXPECT_EQ(p.XResolution, 0.0f);
  EXPECT_TRUE(p.RowsPerStrip.empty());
  EXPECT_TRUE(p.YCbCrSubsampling.empty());
  EXPECT_TRUE(p.JPEGTables.empty());
  EXPECT_EQ(p.JPEGTablesMode, 0u);
  EXPECT_EQ(p.ImageCount, 0);
  EXPECT_EQ(p.FilterMode, 0);

  // A second file that gives less than the first leaves none of the first's
  // values behind.
  TTestGraphic reader;
  TStringStream withAll(TestFile(3, 2, 3));
  reader.LoadFromStream(withAll);
  EXPECT_EQ(reader.ImageProperties.FileGamma, 2.2f);
  EXPECT_EQ(reader.ImageProperties.RowsPerStrip, (TCardinalArray{2}));
  TStringStream withNone(TestFile(1, 1, 0));
  reader.LoadFromStream(withNone);
  EXPECT_EQ(reader.ImageProperties.FileGamma, 1.0f);
  EXPECT_TRUE(reader.ImageProperties.RowsPerStrip.empty());
  EXPECT_EQ(reader.ImageProperties.Width, 1u);
}

TEST(ImagingGraphic, AssignCopiesPropertiesOnlyFromAnotherReader) {
  TTestGraphic source;
  TStringStream stream(TestFile(3, 2, 3));
  source.LoadFromStream(stream);
  source.ImageProperties.JPEGTables = {1, 2, 3};

  TTestGraphic target;
  target.ImageProperties.Version = 99;
  TBitmap plain;
  plain.SetPixelFormat(pf24bit);
  plain.SetSize(5, 4);
  target.Assign(&plain);
  EXPECT_EQ(target.ImageProperties.Version, 99u);
  EXPECT_EQ(target.Width(), 5);

  target.Assign(&source);
  EXPECT_EQ(target.ImageProperties.Width, 3u);
  EXPECT_EQ(target.ImageProperties.Version, 0u);
  EXPECT_EQ(target.ImageProperties.FileGamma, 2.2f);
  EXPECT_EQ(target.ImageProperties.RowsPerStrip, source.ImageProperties.RowsPerStrip);
  EXPECT_EQ(target.ImageProperties.JPEGTables, (TByteArray{1, 2, 3}));
  EXPECT_EQ(target.Width(), 3);
  EXPECT_EQ(std::memcmp(target.ScanLine(1), source.ScanLine(1), 9), 0);
  // A copy, not a share: changing the source leaves the target alone.
  source.ImageProperties.JPEGTables.clear();
  EXPECT_EQ(target.ImageProperties.JPEGTables.size(), 3u);

  class TNotAGraphic : public TPersistent {} stranger;
  EXPECT_THROW(target.Assign(&stranger), EConvertError);
}

TEST(ImagingGraphic, ClassReferenceMakesReadersThatThePictureLoaderUses) {
  std::unique_ptr<TGraphic> made = TTestGraphic::StaticClass()->Create();
  ASSERT_NE(dynamic_cast<TTestGraphic*>(made.get()), nullptr);
  EXPECT_TRUE(TTestGraphic::StaticClass()->InheritsFrom(TImagingGraphic::StaticClass()));
  EXPECT_TRUE(TImagingGraphic::StaticClass()->InheritsFrom(TBitmap::StaticClass()));

  TempFile file("ovalis_imaginggraphic_picture.tst");
  file.Write(TestFile(4, 3, 0));
  TPicture::RegisterFileFormat("tst", "Test images", TTestGraphic::StaticClass());
  TPicture picture;
  picture.LoadFromFile(file.path());
  TPicture::UnregisterGraphicClass(TTestGraphic::StaticClass());
  ASSERT_NE(dynamic_cast<TTestGraphic*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 4);
  EXPECT_EQ(picture.Height(), 3);
}

TEST(ImagingGraphic, ProgressFollowsThePhasesRowByRow) {
  TTestGraphic reader;
  std::vector<ProgressCall> calls;
  reader.OnProgress = [&](TObject* sender, TProgressStage stage, uint8_t percent, bool redraw,
                          const TRect& r, const std::string& text) {
    EXPECT_EQ(sender, &reader);
    calls.push_back({stage, percent, redraw, r, text});
  };
  TStringStream stream(TestFile(5, 3, 0));
  reader.LoadFromStream(stream);
  const std::vector<ProgressCall> expected = {
      {psStarting, 0, false, Rect(0, 0, 5, 1), kPreparing},
      {psEnding, 100, true, Rect(0, 0, 5, 1), ""},
      {psStarting, 0, false, Rect(0, 0, 5, 1), kTransfering},
      {psRunning, 0, true, Rect(0, 0, 5, 1), ""},
      {psRunning, 33, true, Rect(0, 1, 5, 2), ""},
      {psRunning, 67, true, Rect(0, 2, 5, 3), ""},
      {psEnding, 100, true, Rect(0, 3, 5, 4), ""},
  };
  EXPECT_EQ(calls, expected);
}

TEST(ImagingGraphic, ProgressPercentRoundsLikeMulDivAndNeverPassesAHundred) {
  struct Case {
    uint32_t row, height;
    int percent;
  } cases[] = {
      {0, 7, 0},       {1, 3, 33},   {2, 3, 67},  {1, 200, 1},  // a half rounds up
      {1, 201, 0},     {3, 3, 100},  {9, 3, 100},               // past the end still reads as done
      {0, 0, 100},                                              // not 255, as -1 in a byte would be
      {3'000'000'000u, 4'000'000'000u, 75},                     // row * 100 passes 32 bits
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProgressPercent(c.row, c.height), c.percent) << c.row << " of " << c.height;
}

TEST(ImagingGraphic, ShortOrDamagedStreamsRaiseAndLeaveNoStreamBehind) {
  const std::string good = TestFile(4, 4, 0);
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"header cut", good.substr(0, 6)},
      {"rows cut", good.substr(0, good.size() - 1)},
  };
  for (const Case& c : cases) {
    TTestGraphic reader;
    TStringStream stream(c.bytes);
    EXPECT_THROW(reader.LoadFromStream(stream), EReadError) << c.name;
    EXPECT_EQ(reader.CurrentStream(), nullptr) << c.name;
  }

  TTestGraphic reader;
  TStringStream notOurs("XYZ" + good.substr(3));
  try {
    reader.LoadFromStream(notOurs);
    FAIL() << "a foreign signature loaded";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Cannot load image. Invalid or unexpected TST image format.");
  }

  // A header promising more rows than the stream holds is refused before
  // the bitmap is made for them; one promising more than any bitmap may
  // hold, before the rows are even looked for.
  std::string promising = good.substr(0, TTestGraphic::kHeaderSize);
  promising[3] = promising[5] = 44;
  promising[4] = promising[6] = 1;  // 300 x 300
  TStringStream promisingStream(promising);
  EXPECT_THROW(reader.LoadFromStream(promisingStream), EReadError);
  EXPECT_EQ(reader.Width(), 0);
  std::string huge = promising;
  huge[3] = huge[4] = huge[5] = huge[6] = '\xFF';
  TStringStream hugeStream(huge);
  EXPECT_THROW(reader.LoadFromStream(hugeStream), EInvalidGraphic);
}

TEST(ImagingGraphic, ImagesFarIntoAStreamKeepTheirWholeBasePosition) {
  const int64_t farAway = (int64_t{5} << 30) + 3;  // past what 32 bits can hold
  const std::string file = TestFile(2, 2, 0);
  TFarStream stream("junk" + file, farAway);
  stream.SetPosition(farAway + 4);
  TTestGraphic reader;
  reader.LoadFromStream(stream);
  EXPECT_EQ(reader.seenBase, farAway + 4);
  EXPECT_EQ(std::memcmp(reader.ScanLine(0), file.data() + TTestGraphic::kHeaderSize, 6), 0);
}

}  // namespace

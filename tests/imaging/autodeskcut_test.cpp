// Autodesk and CUT files, hand-made from the format descriptions (no tool at
// hand writes either).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "imaging/autodeskgraphic.h"
#include "imaging/cutgraphic.h"
#include "picturetestutil.h"

namespace {

Bytes AutodeskFile(uint16_t w, uint16_t h, const Bytes& pixels) {
  Bytes file = {0x19, 0x91, static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(h),
                static_cast<uint8_t>(h >> 8), 0, 0, 0, 0, 8, 0};
  file.resize(32, 0);
  for (int i = 0; i < 256; ++i) file.insert(file.end(), {static_cast<uint8_t>(i % 64), 63, 0});
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

TEST(AutodeskReader, SixBitPaletteAndRows) {
  TAutodeskGraphic cel;
  LoadBytes(cel, AutodeskFile(2, 2, {1, 63, 2, 0}));
  // Palette values are multiplied by 4: 63 becomes 252.
  EXPECT_EQ(BitmapRgb(cel), (Bytes{4, 252, 0, 252, 252, 0, 8, 252, 0, 0, 252, 0}));
  TStringStream stream(AsString(AutodeskFile(2, 2, {1, 63, 2, 0})));
  EXPECT_TRUE(TAutodeskGraphic::CanLoadFromStream(stream));
}

TEST(AutodeskReader, ShortFileGivesShortRowsAndBadMagicRaises) {
  TAutodeskGraphic cel;
  LoadBytes(cel, AutodeskFile(2, 2, {5}));
  EXPECT_EQ(BitmapRgb(cel)[0], 20);
  // 60,000 x 4,000 pixels declared, a few bytes there: no bitmap is made.
  EXPECT_THROW(LoadBytes(cel, AutodeskFile(60000, 4000, {1, 2, 3})), EReadError);
  // Rows must be there: a file may lack a little of them, not more than 64 KiB.
  EXPECT_NO_THROW(LoadBytes(cel, AutodeskFile(300, 300, Bytes(300 * 300 - 60000, 1))));
  EXPECT_THROW(LoadBytes(cel, AutodeskFile(300, 300, Bytes(300 * 300 - 70000, 1))), EReadError);
  Bytes bad = AutodeskFile(1, 1, {0});
  bad[0] = 0;
  EXPECT_THROW(LoadBytes(cel, bad), EInvalidGraphic);
}

// Cut short and with bits flipped: a clean error or a picture no larger than
// what the copy can hold, never a crash.
TEST(AutodeskReader, DamagedCopiesFailCleanly) {
  Bytes pixels(37 * 23);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7);
  for (const Bytes& copy : DamagedCopies(AutodeskFile(37, 23, pixels))) {
    TAutodeskGraphic cel;
    try {
      LoadBytes(cel, copy);
    } catch (const Exception&) {
    }
    EXPECT_LE(int64_t{cel.Width()} * cel.Height(), 37 * 23 + 65536);
  }
}

// A CUT row: its byte count (2 bytes), packets (high bit: a run of the next
// byte; else that many literal bytes), and a closing 0.
Bytes CutFile(uint16_t w, uint16_t h, const std::vector<Bytes>& rows) {
  Bytes file = {static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(h),
                static_cast<uint8_t>(h >> 8), 0, 0};
  for (const Bytes& row : rows) {
    file.insert(file.end(), {static_cast<uint8_t>(row.size() + 1), 0});
    file.insert(file.end(), row.begin(), row.end());
    file.push_back(0);
  }
  return file;
}

// From a stream there is no palette file: a grey ramp. Rows follow one
// another in the data.
TEST(CutReader, StreamLoadsWithTheGreyPalette) {
  TCUTGraphic cut;
  LoadBytes(cut, CutFile(3, 2, {{0x83, 9}, {0x02, 4, 5, 0x81, 6}}));
  EXPECT_EQ(BitmapRgb(cut), (Bytes{9, 9, 9, 9, 9, 9, 9, 9, 9, 4, 4, 4, 5, 5, 5, 6, 6, 6}));
  TStringStream stream(AsString(CutFile(1, 1, {{0x81, 1}})));
  EXPECT_FALSE(TCUTGraphic::CanLoadFromStream(stream));
}

// A picture of no width or height is refused with each reader's message.
TEST(AutodeskAndCut, NoWidthOrHeightIsRefused) {
  for (auto [w, h] : {std::pair{0, 2}, std::pair{2, 0}}) {
    const auto width = static_cast<uint16_t>(w), height = static_cast<uint16_t>(h);
    EXPECT_EQ(RefusalOf<TAutodeskGraphic>(AutodeskFile(width, height, {1, 2})),
              "Cannot load image. Invalid or unexpected Autodesk image format.");
    EXPECT_EQ(RefusalOf<TCUTGraphic>(CutFile(width, height, {{0x82, 1}, {0x82, 1}})),
              "Cannot load image. Invalid or unexpected CUT image format.");
  }
}

class CutFiles : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("ovalis_cut_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(dir_);
    Write("pic.cut", CutFile(2, 1, {{0x01, 1, 0x81, 15}}));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void Write(const std::string& name, const Bytes& bytes) {
    std::ofstream(dir_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                       static_cast<std::streamsize>(bytes.size()));
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

TEST_F(CutFiles, MissingPaletteFileGivesTheGreyPalette) {
  TCUTGraphic cut;
  cut.LoadFromFile(Path("pic.cut"));
  EXPECT_EQ(BitmapRgb(cut), (Bytes{1, 1, 1, 15, 15, 15}));
}

// Highest index 15: 16 entries, six bytes each after a 40-byte header.
TEST_F(CutFiles, PaletteFileGivesItsColours) {
  Bytes pal(40, 0);
  pal[12] = 15;
  for (int i = 0; i < 16; ++i) pal.insert(pal.end(), {static_cast<uint8_t>(i * 10), 0, 7, 0, 200, 0});
  Write("pic.pal", pal);
  TCUTGraphic cut;
  cut.LoadFromFile(Path("pic.cut"));
  EXPECT_EQ(BitmapRgb(cut), (Bytes{10, 7, 200, 150, 7, 200}));
  EXPECT_EQ(cut.Colors().size(), 256u);
}

TEST(CutReader, DamagedDataFailsCleanly) {
  const Bytes file = CutFile(40, 30, std::vector<Bytes>(30, Bytes{0x85, 3, 0x03, 1, 2, 3, 0xA0, 9}));
  for (const Bytes& copy : DamagedCopies(file)) {
    TCUTGraphic cut;
    try {
      LoadBytes(cut, copy);
    } catch (const Exception&) {
    }
  }
}

}  // namespace

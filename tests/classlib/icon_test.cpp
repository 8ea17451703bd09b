#include <gtest/gtest.h>

#include <string>

#include "classlib/icon.h"
#include "classlib/metafile.h"
#include "classlib/streams.h"
#include "testdata.h"

namespace {

void LoadBytes(TGraphic& graphic, const std::string& bytes) {
  TStringStream stream(bytes);
  graphic.LoadFromStream(stream);
}

void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

}  // namespace

TEST(Icon, ShowsTheLargestImageAndSavesTheFileAsRead) {
  const std::string bytes = ReadTestFile("icon.ico");
  TIcon icon;
  LoadBytes(icon, bytes);
  EXPECT_EQ(icon.Width(), 32);
  EXPECT_EQ(icon.Height(), 32);
  TStringStream out;
  icon.SaveToStream(out);
  EXPECT_EQ(out.DataString(), bytes);
  EXPECT_THROW(icon.SetWidth(16), EInvalidGraphicOperation);
  TIcon copy;
  copy.Assign(&icon);
  EXPECT_EQ(copy.Width(), 32);
}

// Damaged files raise EInvalidGraphic and keep the icon; images that do not
// fit their bytes are never chosen.
TEST(Icon, DamagedFilesRaiseInvalidGraphic) {
  const std::string good = ReadTestFile("icon.ico");
  auto with32 = [&](size_t at, uint32_t v) {
    std::string s = good;
    Put32(s, at, v);
    return s;
  };
  // Both directory entries (at 6 and 22) point past the end, or claim more
  // bytes than there are.
  std::string offsets = with32(6 + 12, 0xFFFFFF00);
  Put32(offsets, 22 + 12, 0xFFFFFF00);
  std::string sizes = with32(6 + 8, 0x7FFFFFFF);
  Put32(sizes, 22 + 8, 0x7FFFFFFF);
  // The DIBs' heights made odd (no AND mask) and their widths huge.
  const uint32_t first = static_cast<uint8_t>(good[18]) | static_cast<uint8_t>(good[19]) << 8;
  const uint32_t second = static_cast<uint8_t>(good[34]) | static_cast<uint8_t>(good[35]) << 8;
  std::string widths = with32(first + 4, 50000);
  Put32(widths, second + 4, 50000);
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"a cursor", std::string("\0\0\2\0\1\0", 6) + good.substr(6)},
      {"no images", std::string("\0\0\1\0\0\0", 6)},
      {"directory cut short", good.substr(0, 20)},
      {"offsets past the end", offsets},
      {"sizes past the end", sizes},
      {"huge images", widths},
      {"image bytes cut short", good.substr(0, 200)},
  };
  TIcon icon;
  LoadBytes(icon, good);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(LoadBytes(icon, c.bytes), EInvalidGraphic);
    EXPECT_EQ(icon.Width(), 32);
  }
}

TEST(Metafile, RefusesDataWithoutAMetafileHeader) {
  std::string emf(100, '\0');
  Put32(emf, 0, 1);
  Put32(emf, 40, 0x464D4520);
  Put32(emf, 4, 88);
  Put32(emf, 48, 5000);  // more bytes than the file has
  const char* cases[] = {"", "plain text", "\x01\x00\x09\x00\x00\x03"};
  TMetafile metafile;
  for (const char* bytes : cases) EXPECT_THROW(LoadBytes(metafile, bytes), EInvalidGraphic) << bytes;
  EXPECT_THROW(LoadBytes(metafile, emf), EInvalidGraphic);
  EXPECT_TRUE(metafile.Empty());
}

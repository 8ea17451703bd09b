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

// A resource group of the test file's two images, ids 7 and 9.
std::string GroupOf(const std::string& file) {
  std::string group = file.substr(0, 6);
  for (int i = 0; i < 2; ++i) {
    group += file.substr(6 + 16 * i, 12);
    group += static_cast<char>(i == 0 ? 7 : 9);
    group += '\0';
  }
  return group;
}

std::string ImageBytes(const std::string& file, int index) {
  const auto* p = reinterpret_cast<const uint8_t*>(file.data()) + 6 + 16 * index;
  const uint32_t size = p[8] | p[9] << 8 | p[10] << 16, offset = p[12] | p[13] << 8 | p[14] << 16;
  return file.substr(offset, size);
}

// Icons of a program's resources: the group's directory and the images it
// names become an ICO file; a missing image is left out, a damaged group
// or one without images is refused.
TEST(Icon, ResourceGroupBecomesAnIcoFile) {
  const std::string file = ReadTestFile("icon.ico");
  const std::string group = GroupOf(file);
  auto both = [&](uint16_t id) { return id == 7 ? ImageBytes(file, 0) : id == 9 ? ImageBytes(file, 1) : ""; };
  TIcon icon;
  LoadBytes(icon, TIcon::FileFromResourceGroup(group, both));
  EXPECT_EQ(icon.Width(), 32);
  TStringStream out;
  icon.SaveToStream(out);
  EXPECT_EQ(out.DataString(), file);

  auto onlySmall = [&](uint16_t id) { return id == 9 ? ImageBytes(file, 1) : std::string(); };
  LoadBytes(icon, TIcon::FileFromResourceGroup(group, onlySmall));
  EXPECT_EQ(icon.Width(), 16);

  auto none = [](uint16_t) { return std::string(); };
  EXPECT_THROW(TIcon::FileFromResourceGroup(group, none), EInvalidGraphic);
  std::string tooMany = group;
  tooMany[4] = 3;
  EXPECT_THROW(TIcon::FileFromResourceGroup(tooMany, both), EInvalidGraphic);
  EXPECT_THROW(TIcon::FileFromResourceGroup(group.substr(0, 5), both), EInvalidGraphic);
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

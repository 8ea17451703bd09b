#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/bitmap.h"
#include "classlib/icon.h"
#include "classlib/jpegimage.h"
#include "classlib/metafile.h"
#include "classlib/picture.h"
#include "classlib/stringlist.h"
#include "imaging/fileformatlist.h"

namespace {

// Stand-ins for readers, so that the rules can be tried on a registry of
// the test's own without touching the class library's formats.
template <class Tag, class Base = TBitmap>
class TFake : public Base {
public:
  static TGraphicClass StaticClass() { return GraphicClassOf<TFake, Base>(Tag::kName); }
  TGraphicClass ClassType() const override { return StaticClass(); }
};
struct TargaTag { static constexpr const char* kName = "TFakeTarga"; };
struct TiffTag { static constexpr const char* kName = "TFakeTIFF"; };
struct EpsTag { static constexpr const char* kName = "TFakeEPS"; };
struct SgiTag { static constexpr const char* kName = "TFakeSGI"; };
using TFakeTarga = TFake<TargaTag>;
using TFakeTIFF = TFake<TiffTag>;
using TFakeEPS = TFake<EpsTag, TFakeTIFF>;
using TFakeSGI = TFake<SgiTag>;

std::vector<std::string> Extensions(const TFileFormatList& list) {
  TStringList strings;
  strings.Add("left over");
  list.GetExtensionList(strings);
  return strings.ToVector();
}

bool IsClassLibraryFormat(TGraphicClass c) {
  return c == TBitmap::StaticClass() || c == TIcon::StaticClass() || c == TMetafile::StaticClass() ||
         c == TJPEGImage::StaticClass();
}

// The Targa, TIFF, EPS and SGI rows of the start-up table. The readers that
// the program registered at start answer for some of these extensions in the
// picture loader: it forgets them while a test runs and learns them again
// after.
class FormatRules : public ::testing::Test {
protected:
  struct Registration {
    std::string extension, description;
    TGraphicClass graphicClass;
  };

  void SetUp() override {
    for (int i = 0; i < FileFormatList->ExtensionCount(); ++i) {
      const TExtensionEntry& e = FileFormatList->ExtensionEntries(i);
      const TGraphicClass c = e.ClassEntry->GraphicClass;
      if (IsClassLibraryFormat(c)) continue;
      saved_.push_back({e.Extension, e.Description.empty() ? e.ClassEntry->Description : e.Description, c});
    }
    for (const Registration& r : saved_) TPicture::UnregisterGraphicClass(r.graphicClass);
    list.RegisterFileFormat("win", "Truevision images", "", ftRaster, false, TFakeTarga::StaticClass());
    for (const char* e : {"vst", "vda", "tga", "icb"})
      list.RegisterFileFormat(e, "", "", ftRaster, false, TFakeTarga::StaticClass());
    list.RegisterFileFormat("tiff", "Tagged image file format images", "Macintosh TIFF images", 12,
                            false, TFakeTIFF::StaticClass());
    list.RegisterFileFormat("eps", "Encapsulated Postscript images", "", ftRaster, false,
                            TFakeEPS::StaticClass());
    list.RegisterFileFormat("sgi", "SGI images", "SGI true color images", ftRaster, false,
                            TFakeSGI::StaticClass());
    list.RegisterFileFormat("rgba", "", "SGI true color images with alpha", ftRaster, false,
                            TFakeSGI::StaticClass());
    list.RegisterFileFormat("rgb", "", "SGI true color images", ftRaster, false, TFakeSGI::StaticClass());
    list.RegisterFileFormat("bw", "", "SGI black/white images", ftRaster, false, TFakeSGI::StaticClass());
  }
  void TearDown() override {
    list.Clear();
    for (const Registration& r : saved_) TPicture::RegisterFileFormat(r.extension, r.description, r.graphicClass);
  }
  TFileFormatList list;
  std::vector<Registration> saved_;
};

}  // namespace

TEST_F(FormatRules, FindsExtensionsWithoutCaseAndClassesExactly) {
  EXPECT_EQ(list.FindExtension("TGA"), 3);
  EXPECT_EQ(list.FindExtension(""), -1);
  EXPECT_EQ(list.FindExtension("png"), -1);
  EXPECT_EQ(list.FindGraphicClass(TFakeEPS::StaticClass()), 2);
  EXPECT_EQ(list.FindGraphicClass(TBitmap::StaticClass()), -1);
  TFileFormatList other;
  other.RegisterFileFormat("tiff", "", "", 12, false, TFakeTIFF::StaticClass());
  // A subclass that was not registered itself is not found through its parent.
  EXPECT_EQ(other.FindGraphicClass(TFakeEPS::StaticClass()), -1);
  EXPECT_EQ(Extensions(list), (std::vector<std::string>{"win", "vst", "vda", "tga", "icb", "tiff",
                                                       "eps", "sgi", "rgba", "rgb", "bw"}));
}

TEST_F(FormatRules, ThePictureLoaderGetsTheOwnOrElseTheCommonDescription) {
  EXPECT_EQ(TPicture::ClassForExtension("vst"), TFakeTarga::StaticClass());
  EXPECT_EQ(TPicture::DescriptionForExtension("vst"), "Truevision images");
  EXPECT_EQ(TPicture::DescriptionForExtension("tiff"), "Macintosh TIFF images");
  EXPECT_EQ(list.ClassEntries(0).Description, "Truevision images");
  EXPECT_EQ(list.ClassEntries(0).Count, 5);
  EXPECT_EQ(list.ExtensionEntries(5).FormatTypes, 12);
  EXPECT_EQ(list.ExtensionEntries(1).Description, "");
}

TEST_F(FormatRules, RegisteringAnExtensionTwiceWithoutReplaceRaises) {
  try {
    list.RegisterFileFormat("tga", "", "", ftRaster, false, TFakeSGI::StaticClass());
    FAIL() << "no exception";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Attempt to register tga twice.");
  }
  EXPECT_EQ(list.ExtensionCount(), 11);
  EXPECT_EQ(TPicture::ClassForExtension("tga"), TFakeTarga::StaticClass());
}

TEST_F(FormatRules, ReplaceMovesTheExtensionAndDropsAnEmptiedClass) {
  list.RegisterFileFormat("TGA", "", "", ftRaster, true, TFakeSGI::StaticClass());
  EXPECT_EQ(list.ExtensionEntries(3).ClassEntry->GraphicClass, TFakeSGI::StaticClass());
  EXPECT_EQ(list.ExtensionEntries(3).Extension, "tga");  // kept as first registered
  EXPECT_EQ(list.ClassEntries(0).Count, 4);
  EXPECT_EQ(TPicture::ClassForExtension("tga"), TFakeSGI::StaticClass());
  EXPECT_EQ(TPicture::DescriptionForExtension("tga"), "SGI images");
  // The EPS class had one extension: it disappears when that one moves.
  list.RegisterFileFormat("eps", "", "", ftRaster, true, TFakeTIFF::StaticClass());
  EXPECT_EQ(list.FindGraphicClass(TFakeEPS::StaticClass()), -1);
  EXPECT_EQ(list.ClassEntries(list.FindGraphicClass(TFakeTIFF::StaticClass())).Count, 2);
  // Replacing with the class the extension has changes nothing.
  list.RegisterFileFormat("eps", "new words", "", ftRaster, true, TFakeTIFF::StaticClass());
  EXPECT_EQ(list.ClassEntries(list.FindGraphicClass(TFakeTIFF::StaticClass())).Description,
            "Tagged image file format images");
  list.RegisterFileFormat("", "", "", ftRaster, false, TFakeTIFF::StaticClass());
  EXPECT_EQ(list.ExtensionCount(), 11);
}

TEST_F(FormatRules, UnregisteringOneExtensionTellsTheLoaderOnlyWhenTheClassIsGone) {
  list.UnregisterFileFormat("tga", TFakeTarga::StaticClass());
  EXPECT_EQ(list.FindExtension("tga"), -1);
  EXPECT_EQ(list.FindExtension("win"), 0);
  // The loader is not told while the class keeps other extensions.
  EXPECT_EQ(TPicture::ClassForExtension("tga"), TFakeTarga::StaticClass());
  for (const char* e : {"win", "vst", "vda", "icb"}) list.UnregisterFileFormat(e, nullptr);
  EXPECT_EQ(list.FindGraphicClass(TFakeTarga::StaticClass()), -1);
  EXPECT_EQ(TPicture::ClassForExtension("win"), nullptr);
  EXPECT_EQ(TPicture::ClassForExtension("tga"), nullptr);
  list.UnregisterFileFormat("nothing", TFakeSGI::StaticClass());
  EXPECT_EQ(list.ExtensionCount(), 6);
}

TEST_F(FormatRules, UnregisteringAClassRemovesAllItsExtensions) {
  list.UnregisterFileFormat("", TFakeSGI::StaticClass());
  EXPECT_EQ(Extensions(list), (std::vector<std::string>{"win", "vst", "vda", "tga", "icb", "tiff", "eps"}));
  EXPECT_EQ(list.FindGraphicClass(TFakeSGI::StaticClass()), -1);
  EXPECT_EQ(TPicture::ClassForExtension("rgb"), nullptr);
  // Forgetting TIFF in the loader also forgets EPS, derived from it, though
  // the registry keeps EPS.
  list.UnregisterFileFormat("", TFakeTIFF::StaticClass());
  EXPECT_EQ(TPicture::ClassForExtension("eps"), nullptr);
  EXPECT_EQ(list.FindExtension("eps"), 5);
  // A class that was never registered: nothing happens.
  list.UnregisterFileFormat("", TBitmap::StaticClass());
  EXPECT_EQ(TPicture::ClassForExtension("bmp"), TBitmap::StaticClass());
}

TEST_F(FormatRules, ClearMakesTheLoaderForgetEveryClass) {
  list.Clear();
  EXPECT_EQ(list.ClassCount(), 0);
  EXPECT_EQ(list.ExtensionCount(), 0);
  EXPECT_EQ(TPicture::ClassForExtension("tga"), nullptr);
  EXPECT_EQ(TPicture::ClassForExtension("eps"), nullptr);
}

// At start the class library's formats come first, in the table's order,
// followed by those of the readers that are part of the library.
TEST(FileFormatList, StartUpRegistersTheClassLibraryFormats) {
  ASSERT_NE(FileFormatList, nullptr);
  const std::vector<std::string> table{
      "bmp", "ico", "wmf", "emf", "jfif", "jpg", "jpe", "jpeg", "rle", "dib", "win", "vst", "vda", "tga",
      "icb", "tiff", "tif", "fax", "eps", "pcx", "pcc", "scr", "rpf", "rla", "sgi", "rgba", "rgb", "bw",
      "psd", "pdd", "ppm", "pgm", "pbm", "cel", "pic", "pcd", "gif", "cut", "psp", "png"};
  std::vector<std::string> registered;
  for (const std::string& e : table)
    if (FileFormatList->FindExtension(e) >= 0) registered.push_back(e);
  EXPECT_EQ(Extensions(*FileFormatList), registered);
  ASSERT_GE(registered.size(), 10u);
  EXPECT_EQ(std::vector<std::string>(registered.begin(), registered.begin() + 10),
            std::vector<std::string>(table.begin(), table.begin() + 10));

  ASSERT_GE(FileFormatList->ClassCount(), 4);
  EXPECT_EQ(FileFormatList->ClassEntries(0).GraphicClass, TBitmap::StaticClass());
  EXPECT_EQ(FileFormatList->ClassEntries(0).Description, "Windows bitmaps");
  EXPECT_EQ(FileFormatList->ClassEntries(0).Count, 3);
  EXPECT_EQ(FileFormatList->ClassEntries(1).GraphicClass, TIcon::StaticClass());
  EXPECT_EQ(FileFormatList->ClassEntries(2).GraphicClass, TMetafile::StaticClass());
  EXPECT_EQ(FileFormatList->ClassEntries(3).GraphicClass, TJPEGImage::StaticClass());
  EXPECT_EQ(FileFormatList->ClassEntries(3).Description, "JPG images");

  EXPECT_EQ(TPicture::ClassForExtension("JFIF"), TJPEGImage::StaticClass());
  EXPECT_EQ(TPicture::DescriptionForExtension("jfif"), "JFIF images");
  EXPECT_EQ(TPicture::DescriptionForExtension("emf"), "Windows enhanced meta files");
  EXPECT_EQ(TPicture::DescriptionForExtension("dib"), "Device independant Windows bitmaps");
  EXPECT_EQ(TPicture::ClassForExtension("rle"), TBitmap::StaticClass());
}

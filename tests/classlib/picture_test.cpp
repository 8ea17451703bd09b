#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "classlib/bitmap.h"
#include "classlib/icon.h"
#include "classlib/jpegimage.h"
#include "classlib/picture.h"
#include "classlib/streams.h"
#include "testdata.h"

namespace {

class TFakeBase : public TBitmap {
public:
  static TGraphicClass StaticClass() { return GraphicClassOf<TFakeBase, TBitmap>("TFakeBase"); }
  TGraphicClass ClassType() const override { return StaticClass(); }
};
class TFakeChild : public TFakeBase {
public:
  static TGraphicClass StaticClass() { return GraphicClassOf<TFakeChild, TFakeBase>("TFakeChild"); }
  TGraphicClass ClassType() const override { return StaticClass(); }
};
class TFakeOther : public TBitmap {
public:
  static TGraphicClass StaticClass() { return GraphicClassOf<TFakeOther, TBitmap>("TFakeOther"); }
  TGraphicClass ClassType() const override { return StaticClass(); }
};

// A file in the temporary folder, removed when done.
class TempFile {
public:
  explicit TempFile(const std::string& name)
      : path_((std::filesystem::temp_directory_path() / name).string()) {}
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

}  // namespace

TEST(GraphicClass, KnowsItsAncestorsAndMakesInstances) {
  EXPECT_TRUE(TFakeChild::StaticClass()->InheritsFrom(TBitmap::StaticClass()));
  EXPECT_TRUE(TFakeChild::StaticClass()->InheritsFrom(TGraphic::StaticClass()));
  EXPECT_FALSE(TFakeBase::StaticClass()->InheritsFrom(TFakeChild::StaticClass()));
  EXPECT_FALSE(TIcon::StaticClass()->InheritsFrom(TBitmap::StaticClass()));
  auto graphic = TFakeChild::StaticClass()->Create();
  EXPECT_EQ(graphic->ClassType(), TFakeChild::StaticClass());
  EXPECT_THROW(TGraphic::StaticClass()->Create(), EInvalidGraphicOperation);
}

TEST(Picture, TheClassLibraryFormatsAreRegistered) {
  EXPECT_EQ(TPicture::ClassForExtension("bmp"), TBitmap::StaticClass());
  EXPECT_EQ(TPicture::ClassForExtension("ICO"), TIcon::StaticClass());
  EXPECT_EQ(TPicture::ClassForExtension("jpeg"), TJPEGImage::StaticClass());
  EXPECT_NE(TPicture::ClassForExtension("emf"), nullptr);
  EXPECT_EQ(TPicture::ClassForExtension("txt"), nullptr);
  EXPECT_EQ(TPicture::ClassForExtension(""), nullptr);
  EXPECT_NE(TPicture::GraphicFilter(TBitmap::StaticClass()).find("Windows bitmaps (*.bmp)|*.bmp"),
            std::string::npos);
  EXPECT_NE(TPicture::GraphicFileMask(TGraphic::StaticClass()).find("*.jpg"), std::string::npos);
  EXPECT_EQ(TPicture::ExtensionOfGraphic(TIcon::StaticClass()), "ico");
}

TEST(Picture, LatestRegistrationOfAnExtensionWins) {
  TPicture::RegisterFileFormat("zzz", "first", TFakeBase::StaticClass());
  TPicture::RegisterFileFormat("ZZZ", "second", TFakeOther::StaticClass());
  EXPECT_EQ(TPicture::ClassForExtension("zzz"), TFakeOther::StaticClass());
  EXPECT_EQ(TPicture::DescriptionForExtension("zzz"), "second");
  // The filter shows an extension once, as its latest registration has it.
  EXPECT_EQ(TPicture::GraphicFileMask(TFakeBase::StaticClass()), "");
  TPicture::UnregisterGraphicClass(TFakeOther::StaticClass());
  EXPECT_EQ(TPicture::ClassForExtension("zzz"), TFakeBase::StaticClass());
  TPicture::UnregisterGraphicClass(TFakeBase::StaticClass());
  EXPECT_EQ(TPicture::ClassForExtension("zzz"), nullptr);
}

TEST(Picture, UnregisteringAClassRemovesItsSubclassesToo) {
  TPicture::RegisterFileFormat("aaa", "base", TFakeBase::StaticClass());
  TPicture::RegisterFileFormat("bbb", "child", TFakeChild::StaticClass());
  TPicture::RegisterFileFormat("ccc", "other", TFakeOther::StaticClass());
  EXPECT_EQ(TPicture::GraphicFileMask(TFakeBase::StaticClass()), "*.aaa;*.bbb");
  TPicture::UnregisterGraphicClass(TFakeChild::StaticClass());
  EXPECT_EQ(TPicture::ClassForExtension("aaa"), TFakeBase::StaticClass());
  TPicture::RegisterFileFormat("bbb", "child", TFakeChild::StaticClass());
  TPicture::UnregisterGraphicClass(TFakeBase::StaticClass());
  EXPECT_EQ(TPicture::ClassForExtension("aaa"), nullptr);
  EXPECT_EQ(TPicture::ClassForExtension("bbb"), nullptr);
  EXPECT_EQ(TPicture::ClassForExtension("ccc"), TFakeOther::StaticClass());
  TPicture::UnregisterGraphicClass(TFakeOther::StaticClass());
  EXPECT_EQ(TPicture::ClassForExtension("bmp"), TBitmap::StaticClass());
}

TEST(Picture, LoadsAFileWithTheClassOfItsExtension) {
  TPicture picture;
  int changes = 0;
  picture.OnChange = [&](TObject*) { ++changes; };
  picture.LoadFromFile(TestData("small.jpg"));
  ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 32);
  picture.LoadFromFile(TestData("icon.ico"));
  EXPECT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
  EXPECT_GE(changes, 2);
  // The letter case of the extension does not matter.
  TempFile upper("ovalis-picture-test.BMP");
  upper.Write(ReadTestFile("small-twin.bmp"));
  picture.LoadFromFile(upper.path());
  EXPECT_EQ(picture.Graphic()->ClassType(), TBitmap::StaticClass());
  EXPECT_EQ(picture.Height(), 24);
}

TEST(Picture, ALoadThatFailsKeepsTheGraphicHeldBefore) {
  TPicture picture;
  picture.LoadFromFile(TestData("small-twin.bmp"));
  TGraphic* before = picture.Graphic();
  TempFile damaged("ovalis-picture-damaged.bmp");
  damaged.Write("BM not really");
  EXPECT_THROW(picture.LoadFromFile(damaged.path()), EInvalidGraphic);
  TempFile unknown("ovalis-picture-test.xyz");
  unknown.Write("whatever");
  EXPECT_THROW(picture.LoadFromFile(unknown.path()), EInvalidGraphic);
  EXPECT_EQ(picture.Graphic(), before);
  EXPECT_EQ(picture.Width(), 32);
}

TEST(Picture, PassesOnTheProgressOfItsGraphic) {
  TPicture picture;
  int events = 0;
  TProgressStage last = psStarting;
  picture.OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool, const TRect&,
                           const std::string&) {
    ++events;
    last = stage;
  };
  picture.LoadFromFile(TestData("small.jpg"));
  EXPECT_GE(events, 2);
  EXPECT_EQ(last, psEnding);
}

TEST(Picture, HoldsACopyOfAGraphicItIsGiven) {
  TBitmap b;
  b.SetPixelFormat(pf8bit);
  b.SetSize(4, 3);
  TPicture picture;
  picture.SetGraphic(&b);
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_NE(picture.Graphic(), &b);
  EXPECT_EQ(picture.Graphic()->ClassType(), TBitmap::StaticClass());
  EXPECT_EQ(picture.Width(), 4);
  TPicture other;
  other.Assign(&picture);
  EXPECT_EQ(other.Height(), 3);
  other.Assign(nullptr);
  EXPECT_EQ(other.Graphic(), nullptr);
}

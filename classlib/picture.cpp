#include "classlib/picture.h"

#include <vector>

#include "classlib/bitmap.h"
#include "classlib/icon.h"
#include "classlib/jpegimage.h"
#include "classlib/metafile.h"
#include "classlib/paths.h"
#include "classlib/strutils.h"

namespace {

struct FileFormat {
  std::string extension;  // lower case, no dot
  std::string description;
  TGraphicClass graphicClass;
};

// Registration order; lookups go from the latest. The class library's own
// formats are there from the start.
std::vector<FileFormat>& Formats() {
  static std::vector<FileFormat> formats{
      {"bmp", "Windows bitmaps", TBitmap::StaticClass()},
      {"ico", "Windows icons", TIcon::StaticClass()},
      {"wmf", "Windows metafiles", TMetafile::StaticClass()},
      {"emf", "Windows enhanced meta files", TMetafile::StaticClass()},
      {"jpg", "JPG images", TJPEGImage::StaticClass()},
      {"jpeg", "JPEG images", TJPEGImage::StaticClass()},
  };
  return formats;
}

const FileFormat* FindFormat(std::string_view extension) {
  if (extension.empty()) return nullptr;
  const auto& formats = Formats();
  for (auto it = formats.rbegin(); it != formats.rend(); ++it)
    if (SameText(it->extension, extension)) return &*it;
  return nullptr;
}

// The formats a class loads: its own and its subclasses', each extension
// once, as its latest registration gives it.
std::vector<const FileFormat*> FormatsOf(TGraphicClass graphicClass) {
  std::vector<const FileFormat*> result;
  for (const FileFormat& f : Formats())
    if (FindFormat(f.extension) == &f && f.graphicClass->InheritsFrom(graphicClass))
      result.push_back(&f);
  return result;
}

}  // namespace

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  TGraphicClass graphicClass) {
  if (graphicClass == nullptr) throw EInvalidGraphicOperation("No graphic class given");
  Formats().push_back({LowerCase(extension), description, graphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass graphicClass) {
  std::erase_if(Formats(), [&](const FileFormat& f) { return f.graphicClass->InheritsFrom(graphicClass); });
}

TGraphicClass TPicture::ClassForExtension(std::string_view extension) {
  const FileFormat* f = FindFormat(extension);
  return f != nullptr ? f->graphicClass : nullptr;
}

std::string TPicture::DescriptionForExtension(std::string_view extension) {
  const FileFormat* f = FindFormat(extension);
  return f != nullptr ? f->description : std::string();
}

std::string TPicture::GraphicFilter(TGraphicClass graphicClass) {
  std::string filter;
  for (const FileFormat* f : FormatsOf(graphicClass)) {
    if (!filter.empty()) filter += '|';
    filter += f->description + " (*." + f->extension + ")|*." + f->extension;
  }
  return filter;
}

std::string TPicture::GraphicFileMask(TGraphicClass graphicClass) {
  std::string mask;
  for (const FileFormat* f : FormatsOf(graphicClass)) {
    if (!mask.empty()) mask += ';';
    mask += "*." + f->extension;
  }
  return mask;
}

std::string TPicture::ExtensionOfGraphic(TGraphicClass graphicClass) {
  auto formats = FormatsOf(graphicClass);
  return formats.empty() ? std::string() : formats.front()->extension;
}

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::Adopt(std::unique_ptr<TGraphic> graphic) {
  if (graphic) {
    graphic->OnChange = [this](TObject*) { Changed(); };
    graphic->OnProgress = [this](TObject* sender, TProgressStage stage, uint8_t percent,
                                 bool redraw, const TRect& r, const std::string& msg) {
      if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
    };
  }
  graphic_ = std::move(graphic);
  Changed();
}

void TPicture::LoadFromFile(const std::string& fileName) {
  std::string extension = ExtractFileExt(fileName);
  if (!extension.empty()) extension.erase(0, 1);
  TGraphicClass graphicClass = ClassForExtension(extension);
  if (graphicClass == nullptr)
    throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
  std::unique_ptr<TGraphic> graphic = graphicClass->Create();
  graphic->OnProgress = [this](TObject* sender, TProgressStage stage, uint8_t percent, bool redraw,
                               const TRect& r, const std::string& msg) {
    if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
  };
  graphic->LoadFromFile(fileName);
  Adopt(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName) {
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::SetGraphic(TGraphic* value) {
  if (value == graphic_.get() && value != nullptr) return;
  std::unique_ptr<TGraphic> copy;
  if (value != nullptr) {
    copy = value->ClassType()->Create();
    copy->Assign(value);
  }
  Adopt(std::move(copy));
}

void TPicture::Assign(TPersistent* source) {
  if (source == nullptr) {
    SetGraphic(nullptr);
  } else if (auto* picture = dynamic_cast<TPicture*>(source)) {
    if (picture != this) SetGraphic(picture->Graphic());
  } else if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(graphic);
  } else {
    TPersistent::Assign(source);
  }
}

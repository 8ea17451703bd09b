// Icons: an ICO file kept as read; the largest of its images is the one
// shown (on Windows as an icon handle).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "classlib/graphics.h"

#ifdef _WIN32
typedef struct HICON__* HICON;
typedef struct HINSTANCE__* HINSTANCE;
#endif

class TIcon : public TGraphic {
public:
  // Larger images are refused: no icon needs more, and a PNG image's size
  // is not bounded by its bytes.
  static constexpr int kMaxIconSize = 1024;

  TIcon();
  ~TIcon() override;

  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  // Copies another icon; nullptr empties this one.
  void Assign(TPersistent* source) override;

  bool Empty() const override { return data_.empty(); }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // An icon's size is its image's: raises EInvalidGraphicOperation.
  void SetWidth(int value) override;
  void SetHeight(int value) override;

  // Reads the rest of the stream as an ICO file. A file with no usable
  // image raises EInvalidGraphic and keeps the old icon.
  void LoadFromStream(TStream& stream) override;
  // Writes the ICO file as it was read (nothing for an empty icon).
  void SaveToStream(TStream& stream) override;

  // An ICO file assembled from an icon resource group (a directory like a
  // file's, with a resource id in place of each image's offset) and the
  // images imageOf finds by id ("" for one that is missing, which is left
  // out). EInvalidGraphic for a damaged group or one with no image.
  static std::string FileFromResourceGroup(std::string_view group,
                                           const std::function<std::string(uint16_t id)>& imageOf);

#ifdef _WIN32
  HICON Handle() const { return handle_; }
  // The icon resource group name (a name or an integer resource) of
  // instance; without an instance, the system icon of that id (IDI_...).
  // EInvalidGraphic, with the icon unchanged, when there is none.
  void LoadFromResourceName(HINSTANCE instance, const char* name);
  // Takes a copy of the image of an icon handle that the caller keeps, so
  // that it can be saved as an ICO file like any other.
  void AssignHandle(HICON icon);
  void Draw(HDC dc, const TRect& rect) override;
#endif

private:
  struct Image {
    size_t offset = 0;
    size_t size = 0;
    int width = 0;
    int height = 0;
  };
  // The chosen image of an ICO file, or EInvalidGraphic.
  static Image ChooseImage(const std::string& data);
  // Takes an ICO file as the icon's own and tells OnChange.
  void AdoptFile(std::string data);
  // Takes data and image as the icon's own (the handle made first, so a
  // failure changes nothing).
  void Adopt(std::string data, const Image& image);

  std::string data_;
  int width_ = 0;
  int height_ = 0;
#ifdef _WIN32
  HICON handle_ = nullptr;
#endif
};

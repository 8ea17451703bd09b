// Icons: an ICO file kept as read; the largest of its images is the one
// shown (on Windows as an icon handle).
#pragma once

#include <cstddef>
#include <string>

#include "classlib/graphics.h"

#ifdef _WIN32
typedef struct HICON__* HICON;
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

#ifdef _WIN32
  HICON Handle() const { return handle_; }
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

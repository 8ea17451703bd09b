// JPEG pictures, decoded with libjpeg into a bitmap when they are loaded; the
// compressed bytes are kept and are what saving writes back.
#pragma once

#include <memory>
#include <string>

#include "classlib/bitmap.h"
#include "classlib/graphics.h"

class TJPEGImage : public TGraphic {
public:
  TJPEGImage();
  ~TJPEGImage() override;

  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  // From another JPEG picture (its bytes and its decoded picture).
  void Assign(TPersistent* source) override;

  bool Empty() const override { return bitmap_->Empty(); }
  int Width() const override { return bitmap_->Width(); }
  int Height() const override { return bitmap_->Height(); }
  // The size is the picture's own: raises EInvalidGraphicOperation.
  void SetWidth(int value) override;
  void SetHeight(int value) override;

  // Reads the rest of the stream and decodes it: colour pictures into a
  // 24-bit bitmap, grey ones into an 8-bit bitmap with a grey palette. Data
  // libjpeg cannot decode raises EInvalidGraphic and keeps the old picture;
  // a picture cut short is shown as far as it goes.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;

  // The decoded picture.
  const TBitmap& Bitmap() const { return *bitmap_; }

#ifdef _WIN32
  void Draw(HDC dc, const TRect& rect) override { bitmap_->Draw(dc, rect); }
#endif

protected:
  // Into a TBitmap: a copy of the decoded picture.
  void AssignTo(TPersistent* dest) override;

private:
  std::unique_ptr<TBitmap> Decode(const std::string& data);

  std::string data_;
  std::unique_ptr<TBitmap> bitmap_;
};

// Metafiles: enhanced (EMF) and placeable Windows (WMF) metafiles, kept as
// read and played by the system when drawn.
#pragma once

#include <string>

#include "classlib/graphics.h"

#ifdef _WIN32
typedef struct HENHMETAFILE__* HENHMETAFILE;
#endif

class TMetafile : public TGraphic {
public:
  TMetafile();
  ~TMetafile() override;

  static TGraphicClass StaticClass();
  TGraphicClass ClassType() const override { return StaticClass(); }

  void Assign(TPersistent* source) override;

  bool Empty() const override { return data_.empty(); }
  // The picture's size in pixels at 96 dots per inch, from its header,
  // unless set.
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  bool Enhanced() const { return enhanced_; }

  // Reads the rest of the stream: an EMF file or a placeable WMF file (a
  // WMF file without the placeable header has no size and is refused).
  // Damaged data raises EInvalidGraphic and keeps the old picture.
  void LoadFromStream(TStream& stream) override;
  // Writes the file as it was read.
  void SaveToStream(TStream& stream) override;

#ifdef _WIN32
  HENHMETAFILE Handle() const { return handle_; }
  void Draw(HDC dc, const TRect& rect) override;
#endif

private:
  struct Header {
    bool enhanced = false;
    int width = 0;   // pixels
    int height = 0;
    int widthMM100 = 0;  // hundredths of a millimetre
    int heightMM100 = 0;
  };
  static Header ReadHeader(const std::string& data);
  // Takes data as the picture (its handle made first, so that a failure
  // changes nothing).
  void Adopt(std::string data, const Header& header);

  std::string data_;
  bool enhanced_ = false;
  int width_ = 0;
  int height_ = 0;
#ifdef _WIN32
  HENHMETAFILE handle_ = nullptr;
#endif
};

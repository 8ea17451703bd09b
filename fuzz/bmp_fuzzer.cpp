// BMP files into a bitmap; what loads must also save, load again and convert.
#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/bitmap.h"
#include "classlib/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TStringStream stream(std::string(reinterpret_cast<const char*>(data), size));
  TBitmap bitmap;
  try {
    bitmap.LoadFromStream(stream);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  TStringStream saved;
  bitmap.SaveToStream(saved);
  saved.SetPosition(0);
  TBitmap again;
  again.LoadFromStream(saved);
  // Conversions visit every pixel: only for pictures of a modest size.
  if (int64_t{bitmap.Width()} * bitmap.Height() <= 256 * 256) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetPixelFormat(pf4bit);
  }
  return 0;
}

// JPEG pictures through libjpeg into a bitmap.
#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/jpegimage.h"
#include "classlib/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TStringStream stream(std::string(reinterpret_cast<const char*>(data), size));
  TJPEGImage jpeg;
  try {
    jpeg.LoadFromStream(stream);
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}

// ICO files: the directory walk and the choice of an image.
#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/icon.h"
#include "classlib/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TStringStream stream(std::string(reinterpret_cast<const char*>(data), size));
  TIcon icon;
  try {
    icon.LoadFromStream(stream);
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}

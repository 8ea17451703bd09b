// Metafile headers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/metafile.h"
#include "classlib/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TStringStream stream(std::string(reinterpret_cast<const char*>(data), size));
  TMetafile metafile;
  try {
    metafile.LoadFromStream(stream);
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}

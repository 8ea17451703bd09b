// The RTF text extractor over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "classlib/streams.h"
#include "search/extract/rtf2text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TCustomMemoryStream source;
  source.SetPointer(const_cast<uint8_t*>(data), static_cast<int64_t>(size));
  TRtf2Text converter(source);
  return 0;
}

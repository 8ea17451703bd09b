// The Word 2007 extractor over arbitrary bytes taken as a .docx archive.
#include <cstddef>
#include <cstdint>

#include "classlib/streams.h"
#include "search/extract/file2text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TCustomMemoryStream source;
  source.SetPointer(const_cast<uint8_t*>(data), static_cast<int64_t>(size));
  TW072Text converter;
  converter.CreateFromStream(source);
  return 0;
}

// The PDF text extractor over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "classlib/streams.h"
#include "classlib/stringlist.h"
#include "search/extract/pdf2text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TCustomMemoryStream source;
  source.SetPointer(const_cast<uint8_t*>(data), static_cast<int64_t>(size));
  try {
    TPDF2Text converter(source);
  } catch (const EStringListError&) {
    // a "stream" line with no dictionary before it: the documented failure
  }
  return 0;
}

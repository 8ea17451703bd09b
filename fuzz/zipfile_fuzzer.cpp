// The zip reader over arbitrary bytes: list, walk, and extract every entry.
#include <cstddef>
#include <cstdint>

#include "classlib/streams.h"
#include "search/extract/zipfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TZipFile zip;
  zip.OpenMemory(data, size);
  TZipLocalHeader header;
  for (bool found = zip.FindFirstHeader(header); found; found = zip.FindNextHeader()) {
  }
  for (int i = 0; i < zip.Names().Count(); ++i) {
    TMemoryStream out;
    zip.UnzipFileToBuffer(zip.Names()[i], out);
  }
  return 0;
}

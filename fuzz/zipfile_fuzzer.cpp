// The zip reader over arbitrary bytes: list, walk, and extract every entry,
// whole and a piece at a time; both ways give the same bytes, unless the
// whole one is refused for its declared size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

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
    const TUnzipResult whole = zip.UnzipFileToBuffer(zip.Names()[i], out);
    std::string pieces;
    const TUnzipResult inPieces = zip.ReadMember(zip.Names()[i], [&](const uint8_t* p, size_t n) {
      pieces.append(reinterpret_cast<const char*>(p), n);
      return true;
    });
    if (whole == urDamaged) continue;
    if (inPieces != whole || pieces != std::string(static_cast<const char*>(out.Memory()), size_t(out.Size())))
      std::abort();
  }
  return 0;
}

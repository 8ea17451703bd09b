// PNG pictures through their reader, with the chunk CRCs made right first so
// that mutations reach the decoding itself.
#include <vector>

#include "pictureinput.h"
#include "pngchunks.h"
#include "imaging/pnggraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> file(data, data + size);
  RecomputePngCrcs(file.data(), file.size());
  TPNGGraphic reader;
  LoadPicture(reader, file.data(), file.size());
  return 0;
}

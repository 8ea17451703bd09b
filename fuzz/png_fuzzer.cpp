// PNG pictures through their reader.
#include "pictureinput.h"
#include "imaging/pnggraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TPNGGraphic reader;
  LoadPicture(reader, data, size);
  return 0;
}

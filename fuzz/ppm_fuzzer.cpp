// PPM pictures through their reader.
#include "pictureinput.h"
#include "imaging/ppmgraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TPPMGraphic reader;
  LoadPicture(reader, data, size);
  return 0;
}

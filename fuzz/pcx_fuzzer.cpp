// PCX pictures through their reader.
#include "pictureinput.h"
#include "imaging/pcxgraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TPCXGraphic reader;
  LoadPicture(reader, data, size);
  return 0;
}

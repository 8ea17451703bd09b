// Autodesk pictures through their reader.
#include "pictureinput.h"
#include "imaging/autodeskgraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TAutodeskGraphic reader;
  LoadPicture(reader, data, size);
  return 0;
}

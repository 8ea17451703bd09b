// GIF pictures through their reader.
#include "pictureinput.h"
#include "imaging/gifgraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TGIFGraphic reader;
  LoadPicture(reader, data, size);
  return 0;
}

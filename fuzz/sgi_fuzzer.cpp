// SGI pictures through their reader.
#include "pictureinput.h"
#include "imaging/sgigraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TSGIGraphic reader;
  LoadPicture(reader, data, size);
  return 0;
}

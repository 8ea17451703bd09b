// CUT pictures through their reader.
#include "pictureinput.h"
#include "imaging/cutgraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TCUTGraphic reader;
  LoadPicture(reader, data, size);
  return 0;
}

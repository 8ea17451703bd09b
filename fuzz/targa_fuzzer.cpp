// Targa pictures through their reader; what loads is written again, both
// ways, and must load back.
#include "pictureinput.h"
#include "imaging/targagraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TTargaGraphic reader;
  if (!LoadPicture(reader, data, size)) return 0;
  for (bool compressed : {false, true}) {
    TStringStream saved;
    reader.SaveToStreamCompressed(saved, compressed);
    saved.SetPosition(0);
    TTargaGraphic again;
    if (!reader.Empty()) again.LoadFromStream(saved);
  }
  return 0;
}

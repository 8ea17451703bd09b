// The Paint Shop Pro reader on any bytes.
#include "classlib/streams.h"
#include "imaging/pspgraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TStringStream stream(std::string(reinterpret_cast<const char*>(data), size));
  try {
    TPSPGraphic psp;
    psp.LoadFromStream(stream);
  } catch (const Exception&) {
  }
  return 0;
}

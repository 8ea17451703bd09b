// The Photo-CD reader on any bytes.
#include "classlib/streams.h"
#include "imaging/pcdgraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TStringStream stream(std::string(reinterpret_cast<const char*>(data), size));
  try {
    TPCDGraphic pcd;
    pcd.LoadFromStream(stream);
  } catch (const Exception&) {
  }
  return 0;
}

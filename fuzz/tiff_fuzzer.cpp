// The TIFF and EPS readers on any bytes: the last byte picks the reader and
// the image index of a properties read; the rest is the file.
#include "classlib/streams.h"
#include "fuzzinput.h"
#include "imaging/jpegdecoder.h"
#include "imaging/tiffgraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = (SetJPEGWarningHook(nullptr), true);
  (void)quiet;
  FuzzInput in(data, size);
  const uint8_t option = in.Option();
  const std::vector<uint8_t> rest = in.Rest();
  TStringStream stream(std::string(rest.begin(), rest.end()));
  try {
    if (option & 1) {
      TEPSGraphic eps;
      if (TEPSGraphic::CanLoadFromStream(stream)) eps.LoadFromStream(stream);
    } else {
      TTIFFGraphic tiff;
      tiff.ReadImageProperties(stream, option >> 1);
      stream.SetPosition(0);
      tiff.LoadFromStream(stream);
    }
  } catch (const Exception&) {
  }
  return 0;
}

// ICO files: the directory walk and the choice of an image; the same bytes
// as an icon resource group whose images are slices of the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/icon.h"
#include "classlib/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TIcon icon;
  try {
    TStringStream stream(bytes);
    icon.LoadFromStream(stream);
  } catch (const EInvalidGraphic&) {
  }
  // Resource id n names the input from byte n on.
  auto imageOf = [&bytes](uint16_t id) { return id < bytes.size() ? bytes.substr(id) : std::string(); };
  try {
    TStringStream assembled(TIcon::FileFromResourceGroup(bytes, imageOf));
    icon.LoadFromStream(assembled);
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}

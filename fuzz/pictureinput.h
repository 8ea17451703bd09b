// Loads a fuzzer's input through one picture reader: any exception of the
// class library is a clean refusal; a crash, a leak or a sanitizer report is
// a find. Pictures too large for the test's memory are refused by the reader
// itself, before it allocates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/exceptions.h"
#include "classlib/streams.h"

template <class Reader>
bool LoadPicture(Reader& reader, const uint8_t* data, size_t size) {
  TStringStream stream(std::string(reinterpret_cast<const char*>(data), size));
  try {
    reader.LoadFromStream(stream);
  } catch (const Exception&) {
    return false;
  }
  return true;
}

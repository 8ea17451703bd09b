// Files of this folder's data folder.
#pragma once

#include <string>

#include "classlib/streams.h"

inline std::string TestData(const char* name) {
  const std::string folder = OVALIS_TEST_DATA;
  return folder + (folder.find('\\') != std::string::npos ? "\\" : "/") + name;
}

// The whole file as bytes.
inline std::string ReadTestFile(const char* name) {
  TFileStream stream(TestData(name), fmOpenRead | fmShareDenyWrite);
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  stream.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

// A file stream opened by a wide file name.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/streams.h"

class TWideFileStream : public THandleStream {
public:
  // mode fmCreate (0xFF00, or the older 0xFFFF) creates the file anew;
  // anything else opens an existing one with WideFileOpen's access and
  // sharing bits. Failure raises EFCreateError "Cannot create file %s" or
  // EFOpenError "Cannot open file %s".
  TWideFileStream(const std::wstring& fileName, uint16_t mode);
  ~TWideFileStream() override;
};

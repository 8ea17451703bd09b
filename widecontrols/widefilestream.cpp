#include "widecontrols/widefilestream.h"

#include "classlib/codepage.h"
#include "widecontrols/widefile.h"

TWideFileStream::TWideFileStream(const std::wstring& fileName, uint16_t mode)
    : THandleStream(kInvalidHandle) {
  bool create = (mode & fmCreate) == fmCreate;
  handle_ = create ? WideFileCreate(fileName) : WideFileOpen(fileName, mode);
  if (handle_ != kInvalidHandle) return;
  std::string name = WideToMultiByte(fileName, kAnsiCodePage);
  if (create) throw EFCreateError("Cannot create file " + name);
  throw EFOpenError("Cannot open file " + name);
}

TWideFileStream::~TWideFileStream() {
  if (handle_ >= 0) WideFileClose(handle_);
}

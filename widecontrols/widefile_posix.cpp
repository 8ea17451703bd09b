// Native stand-in: names go to the file system as UTF-8; sharing is not
// enforced, but the mode is checked as on Windows.
#include "widecontrols/widefile.h"

#include <fcntl.h>
#include <unistd.h>

#include "classlib/codepage.h"

THandle WideFileCreate(const std::wstring& fileName) {
  std::string name = WideToMultiByte(fileName, kUtf8CodePage);
  if (name.empty()) return kInvalidHandle;
  int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  return fd < 0 ? kInvalidHandle : fd;
}

THandle WideFileOpen(const std::wstring& fileName, uint32_t mode) {
  static const int kAccess[] = {O_RDONLY, O_WRONLY, O_RDWR};
  uint32_t access = mode & 3;
  uint32_t share = (mode & 0xF0) >> 4;
  std::string name = WideToMultiByte(fileName, kUtf8CodePage);
  if (access > 2 || share > 4 || name.empty()) return kInvalidHandle;
  int fd = ::open(name.c_str(), kAccess[access]);
  return fd < 0 ? kInvalidHandle : fd;
}

void WideFileClose(THandle handle) {
  if (handle != kInvalidHandle) ::close(static_cast<int>(handle));
}

#include "widecontrols/widefile.h"

#include <windows.h>

#include <iterator>

#include "widecontrols/win32wide.h"

THandle WideFileCreate(const std::wstring& fileName) {
  HANDLE h = Wide_CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? kInvalidHandle : reinterpret_cast<THandle>(h);
}

THandle WideFileOpen(const std::wstring& fileName, uint32_t mode) {
  static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  uint32_t access = mode & 3;
  uint32_t share = (mode & 0xF0) >> 4;
  if (access >= std::size(kAccess) || share >= std::size(kShare)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return kInvalidHandle;
  }
  HANDLE h = Wide_CreateFileW(fileName.c_str(), kAccess[access], kShare[share], nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? kInvalidHandle : reinterpret_cast<THandle>(h);
}

void WideFileClose(THandle handle) {
  if (handle != kInvalidHandle) CloseHandle(reinterpret_cast<HANDLE>(handle));
}

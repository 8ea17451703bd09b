#include <windows.h>

#include "classlib/streams.h"

namespace {
HANDLE H(THandle h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

int32_t THandleStream::Read(void* buffer, int32_t count) {
  DWORD n = 0;
  if (count <= 0 || !ReadFile(H(handle_), buffer, static_cast<DWORD>(count), &n, nullptr)) return 0;
  return static_cast<int32_t>(n);
}

int32_t THandleStream::Write(const void* buffer, int32_t count) {
  DWORD n = 0;
  if (count <= 0 || !WriteFile(H(handle_), buffer, static_cast<DWORD>(count), &n, nullptr)) return 0;
  return static_cast<int32_t>(n);
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
  LARGE_INTEGER distance, result;
  distance.QuadPart = offset;
  DWORD method = origin == soBeginning ? FILE_BEGIN : (origin == soCurrent ? FILE_CURRENT : FILE_END);
  if (!SetFilePointerEx(H(handle_), distance, &result, method)) return -1;
  return result.QuadPart;
}

void THandleStream::SetSize(int64_t newSize) {
  Seek(newSize, soBeginning);
  if (!SetEndOfFile(H(handle_))) RaiseLastOSError();
}

TFileStream::TFileStream(const std::string& fileName, uint16_t mode)
    : THandleStream(kInvalidHandle), fileName_(fileName) {
  // Denying nothing includes deletion: a file being searched may still be
  // moved to the recycle bin.
  static const DWORD kShare[] = {FILE_SHARE_READ | FILE_SHARE_WRITE, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE};
  unsigned shareIndex = (mode & 0xF0) >> 4;
  DWORD share = shareIndex < 5 ? kShare[shareIndex] : 0;
  HANDLE h;
  if ((mode & fmCreate) == fmCreate) {
    h = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
      throw EFCreateError("Cannot create file \"" + fileName + "\". " + SysErrorMessage(GetLastError()));
  } else {
    static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    unsigned access = mode & 3;
    if (access > 2 || shareIndex > 4)
      throw EFOpenError("Cannot open file \"" + fileName + "\". " + SysErrorMessage(ERROR_INVALID_PARAMETER));
    h = CreateFileA(fileName.c_str(), kAccess[access], share, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
      throw EFOpenError("Cannot open file \"" + fileName + "\". " + SysErrorMessage(GetLastError()));
  }
  handle_ = reinterpret_cast<THandle>(h);
}

TFileStream::~TFileStream() {
  if (handle_ != kInvalidHandle) CloseHandle(H(handle_));
}

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "classlib/streams.h"

int32_t THandleStream::Read(void* buffer, int32_t count) {
  if (count <= 0) return 0;
  ssize_t n = ::read(static_cast<int>(handle_), buffer, static_cast<size_t>(count));
  return n < 0 ? 0 : static_cast<int32_t>(n);
}

int32_t THandleStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  ssize_t n = ::write(static_cast<int>(handle_), buffer, static_cast<size_t>(count));
  return n < 0 ? 0 : static_cast<int32_t>(n);
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : (origin == soCurrent ? SEEK_CUR : SEEK_END);
  return ::lseek(static_cast<int>(handle_), offset, whence);
}

void THandleStream::SetSize(int64_t newSize) {
  if (::ftruncate(static_cast<int>(handle_), newSize) != 0) RaiseLastOSError();
  Seek(newSize, soBeginning);
}

TFileStream::TFileStream(const std::string& fileName, uint16_t mode)
    : THandleStream(kInvalidHandle), fileName_(fileName) {
  int fd;
  if ((mode & fmCreate) == fmCreate) {
    fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw EFCreateError("Cannot create file \"" + fileName + "\". " + SysErrorMessage(errno));
  } else {
    unsigned access = mode & 3;
    if (access > 2 || ((mode & 0xF0) >> 4) > 4)
      throw EFOpenError("Cannot open file \"" + fileName + "\". " + SysErrorMessage(EINVAL));
    static const int kFlags[] = {O_RDONLY, O_WRONLY, O_RDWR};
    fd = ::open(fileName.c_str(), kFlags[access]);
    if (fd < 0) throw EFOpenError("Cannot open file \"" + fileName + "\". " + SysErrorMessage(errno));
  }
  handle_ = fd;
}

TFileStream::~TFileStream() {
  if (handle_ != kInvalidHandle) ::close(static_cast<int>(handle_));
}

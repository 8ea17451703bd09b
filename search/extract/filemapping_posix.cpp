#include "search/extract/filemapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

TMapResult TFileMapping::Open(const std::string& fileName) {
  Close();
  int fd = ::open(fileName.c_str(), O_RDONLY);
  if (fd < 0) return mrCannotOpen;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return mrCannotOpen;
  }
  file_ = fd;
  // An empty file cannot be mapped and needs no view.
  if (st.st_size == 0) return mrMapped;
  // The program's archives are addressed with 32-bit offsets.
  if (static_cast<uint64_t>(st.st_size) > UINT32_MAX) {
    Close();
    return mrViewFailed;
  }
  size_t size = static_cast<size_t>(st.st_size);
  void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (view == MAP_FAILED) {
    Close();
    return mrViewFailed;
  }
  view_ = view;
  size_ = size;
  return mrMapped;
}

void TFileMapping::Close() {
  if (view_ != nullptr) ::munmap(view_, size_);
  if (file_ != kInvalidHandle) ::close(static_cast<int>(file_));
  view_ = nullptr;
  size_ = 0;
  file_ = kInvalidHandle;
  mapping_ = kInvalidHandle;
}

#include "search/extract/filemapping.h"

#include <windows.h>

#include <cstdint>

namespace {
HANDLE H(THandle h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

TMapResult TFileMapping::Open(const std::string& fileName) {
  Close();
  // Read sharing only: a file another process is writing is not read half-done.
  HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return mrCannotOpen;
  file_ = reinterpret_cast<THandle>(file);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) {
    Close();
    return mrCannotOpen;
  }
  // CreateFileMapping refuses an empty file; there is nothing to view anyway.
  if (size.QuadPart == 0) return mrMapped;
  if (static_cast<uint64_t>(size.QuadPart) > UINT32_MAX) {
    Close();
    return mrViewFailed;
  }
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping == nullptr) {
    Close();
    return mrMappingFailed;
  }
  mapping_ = reinterpret_cast<THandle>(mapping);
  void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) {
    Close();
    return mrViewFailed;
  }
  view_ = view;
  size_ = static_cast<size_t>(size.QuadPart);
  return mrMapped;
}

void TFileMapping::Close() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  if (mapping_ != kInvalidHandle) CloseHandle(H(mapping_));
  if (file_ != kInvalidHandle) CloseHandle(H(file_));
  view_ = nullptr;
  size_ = 0;
  mapping_ = kInvalidHandle;
  file_ = kInvalidHandle;
}

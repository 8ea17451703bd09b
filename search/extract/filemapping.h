// A read-only view of a whole file, so parsers can walk its bytes in place.
// Windows maps it with a file mapping, natively with mmap; the parsers above
// see only a pointer and a size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/streams.h"

enum TMapResult {
  mrMapped,         // View() and Size() describe the file; an empty file has no view
  mrCannotOpen,     // missing, not a file, or open for writing elsewhere
  mrMappingFailed,  // the system refused the mapping object
  mrViewFailed,     // the system refused the view (or the file is too large for one)
};

class TFileMapping {
public:
  TFileMapping() = default;
  ~TFileMapping() { Close(); }
  TFileMapping(const TFileMapping&) = delete;
  TFileMapping& operator=(const TFileMapping&) = delete;

  // Opens the file for reading, sharing it with readers only, and maps all of
  // it. Closes any earlier mapping first; on failure nothing stays open.
  TMapResult Open(const std::string& fileName);
  void Close();

  bool IsOpen() const { return file_ != kInvalidHandle; }
  const uint8_t* View() const { return static_cast<const uint8_t*>(view_); }
  size_t Size() const { return size_; }

private:
  THandle file_ = kInvalidHandle;
  THandle mapping_ = kInvalidHandle;
  void* view_ = nullptr;
  size_t size_ = 0;
};

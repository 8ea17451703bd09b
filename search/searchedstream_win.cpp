#include "search/searchedstream.h"

#include "classlib/exceptions.h"

int32_t TSearchedStream::Read(void* buffer, int32_t count) {
  if (thread_.Terminated()) throw EAbort();
  const int32_t n = source_.Read(buffer, count);
  if (known_ && n > 0) position_ += n;
  return n;
}

int64_t TSearchedStream::Seek(int64_t offset, TSeekOrigin origin) {
  if (known_ && origin == soCurrent) {
    offset += position_;
    origin = soBeginning;
  }
  if (known_ && origin == soBeginning && offset == position_) return position_;
  const int64_t result = source_.Seek(offset, origin);
  known_ = result >= 0;
  position_ = result;
  return result;
}

#include "classlib/streams.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {
// No stream in memory grows past what a 32-bit process could ever hold, in
// either build, so that both fail alike and early.
constexpr int64_t kMaxMemoryBlock = std::numeric_limits<int32_t>::max();

// Positions come from callers and from file bytes: a sum that would leave
// the 64-bit range stops at its end instead of being undefined.
int64_t SaturatingAdd(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_add_overflow(a, b, &r)) return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
  return r;
}

int64_t SeekTarget(int64_t position, int64_t size, int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case soBeginning: return offset;
    case soCurrent: return SaturatingAdd(position, offset);
    case soEnd: return SaturatingAdd(size, offset);
  }
  return position;
}
}  // namespace

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t end = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return end;
}

void TStream::SetSize(int64_t /*newSize*/) {}

void TStream::ReadBuffer(void* buffer, int32_t count) {
  auto* p = static_cast<char*>(buffer);
  while (count > 0) {
    int32_t n = Read(p, count);
    if (n <= 0) throw EReadError("Stream read error");
    p += n;
    count -= n;
  }
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
  auto* p = static_cast<const char*>(buffer);
  while (count > 0) {
    int32_t n = Write(p, count);
    if (n <= 0) throw EWriteError("Stream write error");
    p += n;
    count -= n;
  }
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  constexpr int32_t kChunk = 64 * 1024;
  std::vector<char> buffer(static_cast<size_t>(std::min<int64_t>(std::max<int64_t>(count, 1), kChunk)));
  int64_t copied = 0;
  while (count > 0) {
    auto n = static_cast<int32_t>(std::min<int64_t>(count, static_cast<int64_t>(buffer.size())));
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    count -= n;
    copied += n;
  }
  return copied;
}

// --- TCustomMemoryStream ---------------------------------------------------

void TCustomMemoryStream::SetPointer(void* memory, int64_t size) {
  memory_ = memory;
  size_ = size;
}

int32_t TCustomMemoryStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || position_ < 0 || position_ >= size_) return 0;
  int64_t n = std::min<int64_t>(count, size_ - position_);
  std::memcpy(buffer, static_cast<const char*>(memory_) + position_, static_cast<size_t>(n));
  position_ += n;
  return static_cast<int32_t>(n);
}

int32_t TCustomMemoryStream::Write(const void*, int32_t) { return 0; }

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = SeekTarget(position_, size_, offset, origin);
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) {
  const char* p = static_cast<const char*>(memory_);
  int64_t left = size_;
  while (left > 0) {
    auto n = static_cast<int32_t>(std::min<int64_t>(left, std::numeric_limits<int32_t>::max()));
    stream.WriteBuffer(p, n);
    p += n;
    left -= n;
  }
}

void TCustomMemoryStream::SaveToFile(const std::string& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

// --- TMemoryStream ---------------------------------------------------------

TMemoryStream::~TMemoryStream() { std::free(memory_); }

void TMemoryStream::SetCapacity(int64_t newCapacity) {
  if (newCapacity < 0 || newCapacity > kMaxMemoryBlock)
    throw EOutOfMemory("Out of memory while expanding memory stream");
  if (newCapacity == 0) {
    std::free(memory_);
    memory_ = nullptr;
    capacity_ = 0;
    size_ = 0;
    return;
  }
  void* p = std::realloc(memory_, static_cast<size_t>(newCapacity));
  if (p == nullptr) throw EOutOfMemory("Out of memory while expanding memory stream");
  memory_ = p;
  capacity_ = newCapacity;
  // A smaller block holds less: the size must not claim bytes past it.
  if (size_ > capacity_) size_ = capacity_;
}

void TMemoryStream::SetSize(int64_t newSize) {
  if (newSize < 0) newSize = 0;
  if (newSize > capacity_) {
    // Grow geometrically so appending n bytes costs O(n) in all.
    int64_t grown = std::min<int64_t>(capacity_ + capacity_ / 2, kMaxMemoryBlock);
    SetCapacity(std::max<int64_t>(std::max<int64_t>(newSize, grown), 256));
  }
  // Bytes the stream grows by read as zeros, not as what the heap held.
  if (newSize > size_) std::memset(static_cast<char*>(memory_) + size_, 0, static_cast<size_t>(newSize - size_));
  size_ = newSize;
  if (position_ > size_) position_ = size_;
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
  if (count <= 0 || position_ < 0) return 0;
  int64_t end = SaturatingAdd(position_, count);
  if (end > size_) {
    int64_t pos = position_;
    SetSize(end);
    position_ = pos;
  }
  std::memcpy(static_cast<char*>(memory_) + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  size_ = 0;
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  int64_t count = stream.Size();
  SetSize(count);
  char* p = static_cast<char*>(memory_);
  int64_t left = count;
  while (left > 0) {
    auto n = static_cast<int32_t>(std::min<int64_t>(left, std::numeric_limits<int32_t>::max()));
    stream.ReadBuffer(p, n);
    p += n;
    left -= n;
  }
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

// --- TStringStream ---------------------------------------------------------

int32_t TStringStream::Read(void* buffer, int32_t count) {
  auto size = static_cast<int64_t>(data_.size());
  if (count <= 0 || position_ < 0 || position_ >= size) return 0;
  int64_t n = std::min<int64_t>(count, size - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return static_cast<int32_t>(n);
}

int32_t TStringStream::Write(const void* buffer, int32_t count) {
  if (count <= 0 || position_ < 0) return 0;
  // A position beyond what a string may hold writes nothing (a cast to a
  // 32-bit size_t would wrap).
  int64_t end64 = SaturatingAdd(position_, count);
  if (end64 > kMaxMemoryBlock) return 0;
  auto end = static_cast<size_t>(end64);
  if (end > data_.size()) data_.resize(end, '\0');
  std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
  position_ += count;
  return count;
}

int64_t TStringStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = SeekTarget(position_, static_cast<int64_t>(data_.size()), offset, origin);
  return position_;
}

void TStringStream::SetSize(int64_t newSize) {
  newSize = std::max<int64_t>(newSize, 0);
  if (newSize > kMaxMemoryBlock)
    throw EOutOfMemory("Out of memory while expanding string stream");
  data_.resize(static_cast<size_t>(newSize));
  if (position_ > newSize) position_ = newSize;
}

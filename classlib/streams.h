// Streams: the abstract stream, handle and file streams, memory streams and
// a string stream. Positions and sizes are 64-bit; one read or write moves at
// most 2 GiB - 1 bytes, and a stream in memory holds at most that many
// (growing it further raises EOutOfMemory).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/object.h"

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  // Writes up to count bytes; returns how many were written.
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  // Moves the position; returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t position) { Seek(position, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t newSize);

  // Exactly count bytes, or EReadError / EWriteError.
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);
  // Copies count bytes from source's position (count 0: all of source from
  // its start); returns the bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);
};

// File open modes: one access mode combined with one share mode, or fmCreate.
enum : uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,
};

// The system's file handle (a HANDLE on Windows, a descriptor natively);
// kInvalidHandle when there is none.
using THandle = intptr_t;
constexpr THandle kInvalidHandle = -1;

// A stream over a handle it does not own.
class THandleStream : public TStream {
public:
  explicit THandleStream(THandle handle) : handle_(handle) {}
  THandle Handle() const { return handle_; }

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t newSize) override;

protected:
  THandle handle_;
};

// A stream over a named file, opened with the given mode and closed when the
// stream is destroyed. Failure raises EFOpenError or EFCreateError with the
// file name and the system's message.
class TFileStream : public THandleStream {
public:
  TFileStream(const std::string& fileName, uint16_t mode);
  ~TFileStream() override;
  const std::string& FileName() const { return fileName_; }

private:
  std::string fileName_;
};

// Reads and seeks over a block of memory it does not own; writing is refused.
class TCustomMemoryStream : public TStream {
public:
  void* Memory() const { return memory_; }
  void SetPointer(void* memory, int64_t size);

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }

  void SaveToStream(TStream& stream);
  void SaveToFile(const std::string& fileName);

protected:
  void* memory_ = nullptr;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

// A growable stream in memory that owns its block.
class TMemoryStream : public TCustomMemoryStream {
public:
  TMemoryStream() = default;
  ~TMemoryStream() override;

  int32_t Write(const void* buffer, int32_t count) override;
  void SetSize(int64_t newSize) override;
  int64_t Capacity() const { return capacity_; }
  void SetCapacity(int64_t newCapacity);
  void Clear();

  // Replaces the contents with all of stream (from its start) or the file.
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const std::string& fileName);

private:
  int64_t capacity_ = 0;
};

// A stream over an 8-bit string it owns.
class TStringStream : public TStream {
public:
  explicit TStringStream(std::string data = {}) : data_(std::move(data)) {}
  const std::string& DataString() const { return data_; }

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t newSize) override;

private:
  std::string data_;
  int64_t position_ = 0;
};

// The stream a search thread's matcher reads, read once from its start. The
// position is kept here, so the matcher's rewinds to where the stream
// already stands cost no system call (each is a round trip to the file
// server under Wine); and a search told to terminate abandons the file at
// its next block.
#pragma once

#include <cstdint>

#include "classlib/streams.h"
#include "classlib/thread.h"

class TSearchedStream : public TStream {
public:
  // source stands at position 0; thread is the search reading it.
  TSearchedStream(TStream& source, const TThread& thread) : source_(source), thread_(thread) {}

  // Raises EAbort, reading nothing, once the thread is told to terminate.
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void*, int32_t) override { return 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;

private:
  TStream& source_;
  const TThread& thread_;
  bool known_ = true;
  int64_t position_ = 0;
};

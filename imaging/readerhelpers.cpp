#include "imaging/readerhelpers.h"

#include <algorithm>
#include <limits>

#include "classlib/bitmap.h"
#include "classlib/checkedsize.h"
#include "classlib/streams.h"

namespace {

constexpr char kTooLarge[] = "Image is too large";

}  // namespace

int64_t BytesLeft(TStream& Stream) {
  const int64_t position = Stream.Position();
  const int64_t size = Stream.Size();
  return size > position ? size - position : 0;
}

void NeedBytes(TStream& Stream, uint64_t Count) {
  if (Count > static_cast<uint64_t>(BytesLeft(Stream))) throw EReadError("Stream read error");
}

void ReadExact(TStream& Stream, void* Buffer, uint64_t Count) {
  auto* p = static_cast<char*>(Buffer);
  constexpr uint64_t kPiece = std::numeric_limits<int32_t>::max();
  while (Count > 0) {
    const auto n = static_cast<int32_t>(std::min(Count, kPiece));
    Stream.ReadBuffer(p, n);
    p += n;
    Count -= static_cast<uint64_t>(n);
  }
}

uint64_t ImageRowBytes(uint64_t Width, uint64_t BitsPerPixel) {
  return CappedRowBytes<EInvalidGraphic>(Width, BitsPerPixel, TBitmap::kMaxImageBytes, kTooLarge);
}

uint64_t ImageBytes(uint64_t RowBytes, uint64_t Rows) {
  return CappedMul<EInvalidGraphic>(RowBytes, Rows, TBitmap::kMaxImageBytes, kTooLarge);
}

TRestorePosition::TRestorePosition(TStream& Stream) : stream_(Stream), position_(Stream.Position()) {}

TRestorePosition::~TRestorePosition() {
  // A destructor must not throw; a stream that cannot seek back has already
  // failed its reader, which reports that failure itself.
  try {
    stream_.SetPosition(position_);
  } catch (...) {
  }
}

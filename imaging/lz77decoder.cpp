#include "imaging/lz77decoder.h"

#include <algorithm>

#include "imaging/imagingtexts.h"

namespace {
// zlib counts in 32-bit units; a larger buffer is simply not filled past this.
constexpr uint64_t kMaxChunk = 0xFFFFFFFFu;
}  // namespace

TLZ77Decoder::TLZ77Decoder(int FlushMode, bool AutoReset) : FlushMode(FlushMode), AutoReset(AutoReset) {}

TLZ77Decoder::~TLZ77Decoder() {
  if (initialised_) inflateEnd(&Stream);
}

void TLZ77Decoder::DecodeInit() {
  if (initialised_) {
    inflateEnd(&Stream);
    initialised_ = false;
  }
  Stream = z_stream{};
  Status = inflateInit(&Stream);
  if (Status < 0) CompressionError(kLZ77DecompressionError);
  initialised_ = true;
}

void TLZ77Decoder::Decode(const uint8_t*& Source, uint8_t*& Dest, int64_t PackedSize,
                          int64_t UnpackedSize) {
  if (!initialised_) DecodeInit();
  Stream.next_in = const_cast<Bytef*>(Source);
  Stream.avail_in = static_cast<uInt>(std::min(DecodeRoom(PackedSize), kMaxChunk));
  if (AutoReset) Status = inflateReset(&Stream);
  if (Status != Z_OK) return;
  Stream.next_out = Dest;
  Stream.avail_out = static_cast<uInt>(std::min(DecodeRoom(UnpackedSize), kMaxChunk));
  Status = inflate(&Stream, FlushMode);
  Source = Stream.next_in;
  Dest = Stream.next_out;
}

void TLZ77Decoder::DecodeBegin(const uint8_t* Source, int64_t PackedSize) {
  if (!initialised_) DecodeInit();
  Stream.next_in = const_cast<Bytef*>(Source);
  Stream.avail_in = static_cast<uInt>(std::min(DecodeRoom(PackedSize), kMaxChunk));
  Status = inflateReset(&Stream);
}

uint64_t TLZ77Decoder::DecodeNext(uint8_t* Dest, int64_t Room) {
  uint64_t left = DecodeRoom(Room);
  const uint64_t room = left;
  while (left > 0 && Status == Z_OK) {
    Stream.next_out = Dest;
    Stream.avail_out = static_cast<uInt>(std::min(left, kMaxChunk));
    const uInt before = Stream.avail_out;
    Status = inflate(&Stream, FlushMode);
    const uInt made = before - Stream.avail_out;
    Dest += made;
    left -= made;
    // Room was there: a step that writes nothing has nothing more to give.
    if (made == 0) break;
  }
  return room - left;
}

void TLZ77Decoder::DecodeEnd() {
  if (!initialised_) return;
  initialised_ = false;
  if (inflateEnd(&Stream) < 0) CompressionError(kLZ77DecompressionError);
}

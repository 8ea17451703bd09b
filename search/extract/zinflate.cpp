#include "search/extract/zinflate.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// zlib's avail_in is 32 bits wide; longer input is handed over in slices.
constexpr size_t kMaxInputSlice = 1u << 30;
constexpr size_t kMinOutput = 256;
// The largest first buffer: beyond it the output has to prove itself.
constexpr size_t kMaxFirstOutput = 4u << 20;
// Room for the last block's few bytes beyond the ratio.
constexpr size_t kRatioSlack = 64;
// Output handed on a piece at a time: large enough that a call costs
// nothing next to the inflating, small enough to stay in the cache.
constexpr size_t kInflatedPieceBytes = 64 * 1024;

size_t Saturated(uint64_t n) { return n > SIZE_MAX ? SIZE_MAX : static_cast<size_t>(n); }

voidpf HeapAlloc(voidpf /*opaque*/, uInt items, uInt size) { return std::calloc(items, size); }
void HeapFree(voidpf /*opaque*/, voidpf address) { std::free(address); }

// One inflate run: owns the stream and, for a run into one growing block,
// the output until Take().
class Inflater {
public:
  Inflater(bool raw) {
    std::memset(&stream_, 0, sizeof stream_);
    stream_.zalloc = HeapAlloc;
    stream_.zfree = HeapFree;
    ZDecompressCheck(inflateInit2(&stream_, raw ? -MAX_WBITS : MAX_WBITS));
    initialised_ = true;
  }
  ~Inflater() {
    if (initialised_) inflateEnd(&stream_);
    std::free(out_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // Into one block that grows as output comes. Raises EZLibError for
  // corrupt data, EZDecompressionError when the output would pass limit.
  TZInflateResult Run(const uint8_t* in, size_t inBytes, size_t estimate, size_t limit, int flush) {
    // One byte beyond the limit shows that the data holds more.
    room_ = limit < SIZE_MAX ? limit + 1 : limit;
    // What the input can inflate to at most, then the estimate (the input
    // size rounded up to 256 bytes without one), then a few MiB.
    const size_t most = Saturated(static_cast<uint64_t>(inBytes) * kMaxDeflateRatio + kRatioSlack);
    room_ = std::min(room_, most);
    Grow(std::min({estimate != 0 ? estimate : RoundUp(inBytes), kMaxFirstOutput, room_}));
    // Past the first buffer the output has shown it is real: it may take
    // all the room it is allowed at once.
    return Pump(in, inBytes, limit, flush, [this] {
      Grow(room_);
      return true;
    });
  }

  // Into piece again and again, each time it is full and once at the end,
  // handing it to take. Raises as Run does; what take raises passes.
  TZInflateResult RunInPieces(const uint8_t* in, size_t inBytes, uint64_t limit, int flush, uint8_t* piece,
                              size_t pieceBytes, const TInflatedPieceSink& take) {
    SetRoom(piece, pieceBytes);
    TZInflateResult result;
    try {
      result = Pump(in, inBytes, limit, flush, [&] {
        if (!take(piece, pieceBytes)) return false;
        SetRoom(piece, pieceBytes);
        return true;
      });
    } catch (const EZLibError&) {
      // zlib reads the next block's header in the call that filled the
      // piece: damage found there lies past output not handed on yet. A
      // taker that wants nothing after that output never reaches it.
      const size_t pending = pieceBytes - stream_.avail_out;
      if (produced_ <= limit && pending != 0 && !take(piece, pending)) return zrStopped;
      throw;
    }
    if (result == zrStopped) return result;
    const size_t last = pieceBytes - stream_.avail_out;
    return last == 0 || take(piece, last) ? result : zrStopped;
  }

  // Hands the output of Run, shrunk to the bytes produced, to the caller.
  void Take(void*& outBuf, size_t& outBytes) {
    outBytes = static_cast<size_t>(produced_);  // within the block, so it fits
    outBuf = out_;
    if (outBytes == 0) {
      std::free(out_);
      outBuf = nullptr;
    } else if (void* shrunk = std::realloc(out_, outBytes)) {
      outBuf = shrunk;
    }
    out_ = nullptr;
    capacity_ = produced_ = 0;
  }

private:
  static size_t RoundUp(size_t n) { return n > SIZE_MAX - 255 ? SIZE_MAX : (n + 255) & ~size_t(255); }

  void SetRoom(uint8_t* out, size_t bytes) {
    stream_.next_out = out;
    stream_.avail_out = static_cast<uInt>(bytes);
  }

  // Inflates until the end marker or until zlib stops making progress, so a
  // damaged stream can never keep the loop turning. Whenever the output room
  // is used up, more() makes new room, or answers false to stop there.
  template <class MoreRoom>
  TZInflateResult Pump(const uint8_t* in, size_t inBytes, uint64_t limit, int flush, MoreRoom more) {
    size_t inLeft = inBytes;
    for (;;) {
      if (stream_.avail_in == 0 && inLeft > 0) {
        size_t slice = std::min(inLeft, kMaxInputSlice);
        stream_.next_in = const_cast<Bytef*>(in + (inBytes - inLeft));
        stream_.avail_in = static_cast<uInt>(slice);
        inLeft -= slice;
      }
      if (stream_.avail_out == 0 && !more()) return zrStopped;
      uInt availIn = stream_.avail_in;
      uInt availOut = stream_.avail_out;
      int code = inflate(&stream_, flush);
      produced_ += availOut - stream_.avail_out;
      if (produced_ > limit) throw EZDecompressionError("output too large");
      if (code == Z_STREAM_END) return zrComplete;
      if (code == Z_NEED_DICT) throw EZDecompressionError(ZErrorText(Z_NEED_DICT));
      if (code != Z_BUF_ERROR) ZDecompressCheck(code);
      bool progressed = stream_.avail_in != availIn || stream_.avail_out != availOut;
      if (progressed) continue;
      // No progress with room to write: either the input is used up before
      // the end marker, or zlib refuses to go on.
      if (stream_.avail_in == 0 && inLeft == 0) return zrTruncated;
      ZDecompressCheck(Z_BUF_ERROR);
    }
  }

  void Grow(size_t capacity) {
    capacity = std::min(std::max(capacity, kMinOutput), room_);
    // The room is full and the data holds more than any valid stream can.
    if (capacity <= capacity_) throw EZDecompressionError("output too large");
    void* grown = std::realloc(out_, capacity);
    if (grown == nullptr) throw EZDecompressionError(ZErrorText(Z_MEM_ERROR));
    out_ = static_cast<uint8_t*>(grown);
    capacity_ = capacity;
    SetRoom(out_ + produced_, capacity_ - static_cast<size_t>(produced_));
  }

  z_stream stream_;
  bool initialised_ = false;
  uint8_t* out_ = nullptr;
  size_t room_ = 0;  // the largest the buffer may grow
  size_t capacity_ = 0;
  uint64_t produced_ = 0;  // in all, whichever room it went to
};

}  // namespace

const char* ZErrorText(int code) {
  switch (code) {
    case Z_NEED_DICT: return "need dictionary";
    case Z_STREAM_END: return "stream end";
    case Z_OK: return "";
    case Z_ERRNO: return "file error";
    case Z_STREAM_ERROR: return "stream error";
    case Z_DATA_ERROR: return "data error";
    case Z_MEM_ERROR: return "insufficient memory";
    case Z_BUF_ERROR: return "buffer error";
    case Z_VERSION_ERROR: return "incompatible version";
    default: return "";
  }
}

int ZDecompressCheck(int code) {
  if (code >= 0) return code;
  if (code == Z_BUF_ERROR) throw EZDecompressBufError(ZErrorText(code));
  throw EZDecompressionError(ZErrorText(code));
}

TZInflateResult ZDecompress(const void* inBuf, size_t inBytes, void*& outBuf, size_t outEstimate,
                            size_t& outBytes, size_t outLimit) {
  outBuf = nullptr;
  outBytes = 0;
  Inflater inflater(false);
  TZInflateResult result =
      inflater.Run(static_cast<const uint8_t*>(inBuf), inBytes, outEstimate, outLimit, Z_NO_FLUSH);
  inflater.Take(outBuf, outBytes);
  return result;
}

TZInflateResult ZDecompressRaw(const void* inBuf, size_t inBytes, void*& outBuf, size_t outEstimate,
                               size_t& outBytes, size_t outLimit) {
  outBuf = nullptr;
  outBytes = 0;
  try {
    Inflater inflater(true);
    TZInflateResult result =
        inflater.Run(static_cast<const uint8_t*>(inBuf), inBytes, outEstimate, outLimit, Z_SYNC_FLUSH);
    inflater.Take(outBuf, outBytes);
    return result;
  } catch (const Exception&) {
    return zrDamaged;
  }
}

TZInflateResult ZDecompressRawInPieces(const void* inBuf, size_t inBytes, uint64_t outLimit,
                                       const TInflatedPieceSink& take) {
  std::vector<uint8_t> piece(kInflatedPieceBytes);
  // Only zlib's complaints are damage: what take raises is the caller's.
  try {
    Inflater inflater(true);
    return inflater.RunInPieces(static_cast<const uint8_t*>(inBuf), inBytes, outLimit, Z_SYNC_FLUSH,
                                piece.data(), piece.size(), take);
  } catch (const EZLibError&) {
    return zrDamaged;
  }
}

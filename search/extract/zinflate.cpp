#include "search/extract/zinflate.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// zlib's avail_in is 32 bits wide; longer input is handed over in slices.
constexpr size_t kMaxInputSlice = 1u << 30;
constexpr size_t kMinOutput = 256;
// The largest first buffer: beyond it the output has to prove itself.
constexpr size_t kMaxFirstOutput = 4u << 20;
// Room for the last block's few bytes beyond the ratio.
constexpr size_t kRatioSlack = 64;

size_t Saturated(uint64_t n) { return n > SIZE_MAX ? SIZE_MAX : static_cast<size_t>(n); }

voidpf HeapAlloc(voidpf /*opaque*/, uInt items, uInt size) { return std::calloc(items, size); }
void HeapFree(voidpf /*opaque*/, voidpf address) { std::free(address); }

// One inflate run; owns the stream and the output until Take().
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

  // Inflates until the end marker or until zlib stops making progress, so a
  // damaged stream can never keep the loop turning. Raises EZLibError for
  // corrupt data, EZDecompressionError when the output would pass limit.
  TZInflateResult Run(const uint8_t* in, size_t inBytes, size_t estimate, size_t limit, int flush) {
    // One byte beyond the limit shows that the data holds more.
    room_ = limit < SIZE_MAX ? limit + 1 : limit;
    // What the input can inflate to at most, then the estimate (the input
    // size rounded up to 256 bytes without one), then a few MiB.
    const size_t most = Saturated(static_cast<uint64_t>(inBytes) * kMaxDeflateRatio + kRatioSlack);
    room_ = std::min(room_, most);
    Grow(std::min({estimate != 0 ? estimate : RoundUp(inBytes), kMaxFirstOutput, room_}));
    size_t inLeft = inBytes;
    for (;;) {
      if (stream_.avail_in == 0 && inLeft > 0) {
        size_t slice = std::min(inLeft, kMaxInputSlice);
        stream_.next_in = const_cast<Bytef*>(in + (inBytes - inLeft));
        stream_.avail_in = static_cast<uInt>(slice);
        inLeft -= slice;
      }
      // Past the first buffer the output has shown it is real: it may take
      // all the room it is allowed at once.
      if (stream_.avail_out == 0) Grow(room_);
      uInt availIn = stream_.avail_in;
      uInt availOut = stream_.avail_out;
      int code = inflate(&stream_, flush);
      produced_ = capacity_ - stream_.avail_out;
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

  // Hands the output, shrunk to the bytes produced, to the caller.
  void Take(void*& outBuf, size_t& outBytes) {
    outBytes = produced_;
    outBuf = out_;
    if (produced_ == 0) {
      std::free(out_);
      outBuf = nullptr;
    } else if (void* shrunk = std::realloc(out_, produced_)) {
      outBuf = shrunk;
    }
    out_ = nullptr;
    capacity_ = produced_ = 0;
  }

private:
  static size_t RoundUp(size_t n) { return n > SIZE_MAX - 255 ? SIZE_MAX : (n + 255) & ~size_t(255); }

  void Grow(size_t capacity) {
    capacity = std::min(std::max(capacity, kMinOutput), room_);
    // The room is full and the data holds more than any valid stream can.
    if (capacity <= capacity_) throw EZDecompressionError("output too large");
    void* grown = std::realloc(out_, capacity);
    if (grown == nullptr) throw EZDecompressionError(ZErrorText(Z_MEM_ERROR));
    out_ = static_cast<uint8_t*>(grown);
    capacity_ = capacity;
    stream_.next_out = out_ + produced_;
    stream_.avail_out = static_cast<uInt>(capacity_ - produced_);
  }

  z_stream stream_;
  bool initialised_ = false;
  uint8_t* out_ = nullptr;
  size_t room_ = 0;  // the largest the buffer may grow
  size_t capacity_ = 0;
  size_t produced_ = 0;
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

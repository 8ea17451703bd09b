#include "search/extract/textextractor.h"

#include <atomic>
#include <limits>

#include "classlib/exceptions.h"

namespace {

std::atomic<TConversionShouldStop> conversionShouldStop{nullptr};

}  // namespace

void SetConversionShouldStop(TConversionShouldStop hook) { conversionShouldStop = hook; }

void CheckConversionStop() {
  const TConversionShouldStop hook = conversionShouldStop;
  if (hook != nullptr && hook()) throw EAbort();
}

std::string ReadWholeStream(TStream& source) {
  source.SetPosition(0);
  int64_t size = source.Size();
  if (size < 0 || static_cast<uint64_t>(size) > std::numeric_limits<size_t>::max())
    throw EOutOfMemory("Out of memory");
  std::string bytes(static_cast<size_t>(size), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    size_t chunk = bytes.size() - done;
    if (chunk > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
      chunk = static_cast<size_t>(std::numeric_limits<int32_t>::max());
    source.ReadBuffer(bytes.data() + done, static_cast<int32_t>(chunk));
    done += chunk;
  }
  return bytes;
}

void WriteBytes(TStream& stream, std::string_view bytes) {
  constexpr size_t kChunk = 1u << 30;
  for (size_t done = 0; done < bytes.size(); done += kChunk) {
    size_t n = bytes.size() - done < kChunk ? bytes.size() - done : kChunk;
    stream.WriteBuffer(bytes.data() + done, static_cast<int32_t>(n));
  }
}

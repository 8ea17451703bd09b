// The compiled-help page reader over arbitrary bytes, extracting into memory.
// The last input byte picks tight limits or the defaults; the sink checks
// what the reader promises: pages one at a time, names that stay inside,
// and no more bytes than the limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "classlib/streams.h"
#include "fuzzinput.h"
#include "search/extract/chmpages.h"

namespace {

class TCheckingSink : public TChmPageSink {
public:
  uint64_t taken = 0;

  bool BeginPage(const std::vector<std::string>& parts) override {
    if (open_ || parts.empty()) std::abort();
    for (const std::string& part : parts)
      if (part.empty() || part == "." || part == ".." || part.find_first_of("\\/:") != std::string::npos)
        std::abort();
    open_ = true;
    page_ = 0;
    return true;
  }
  bool WritePage(const void*, size_t size) override {
    if (!open_) std::abort();
    page_ += size;
    return true;
  }
  void EndPage(bool complete) override {
    if (!open_) std::abort();
    open_ = false;
    if (complete) taken += page_;
  }

private:
  bool open_ = false;
  uint64_t page_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const uint8_t option = input.Option();
  TChmLimits limits;
  if (option & 1) {
    limits.pages = option >> 5;
    limits.bytes = uint64_t{option} << 4;
    limits.decoded = uint64_t{option} << 10;
  }
  std::vector<uint8_t> bytes = input.Rest();
  TCustomMemoryStream source;
  source.SetPointer(bytes.data(), static_cast<int64_t>(bytes.size()));
  TCheckingSink sink;
  const int pages = ExtractChmPages(source, sink, limits);
  if (static_cast<uint32_t>(pages) > limits.pages || sink.taken > limits.bytes) std::abort();
  return 0;
}

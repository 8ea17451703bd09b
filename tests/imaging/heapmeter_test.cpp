// The imaging test program's operator new and delete, which keep count for
// THeapMeter (heapmeter.h); every size is kept just before the block.
#include <atomic>
#include <cstdlib>
#include <new>

#include "heapmeter.h"

namespace {

std::atomic<uint64_t> held{0}, peak{0};
// Blocks keep the alignment the system's allocator gives them.
constexpr size_t kHeader = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
static_assert(kHeader >= sizeof(size_t));

void* Take(size_t n) {
  void* block = std::malloc(n + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<size_t*>(block) = n;
  const uint64_t now = held += n;
  uint64_t seen = peak.load();
  while (now > seen && !peak.compare_exchange_weak(seen, now)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void Give(void* p) noexcept {
  if (p == nullptr) return;
  void* block = static_cast<char*>(p) - kHeader;
  held -= *static_cast<size_t*>(block);
  std::free(block);
}

void* TakeOrNull(size_t n) noexcept {
  try {
    return Take(n);
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

uint64_t HeapBytesHeld() { return held.load(); }
uint64_t HeapPeak() { return peak.load(); }
void ResetHeapPeak() { peak = held.load(); }

void* operator new(size_t n) { return Take(n); }
void* operator new[](size_t n) { return Take(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return TakeOrNull(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return TakeOrNull(n); }
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, size_t) noexcept { Give(p); }
void operator delete[](void* p, size_t) noexcept { Give(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Give(p); }

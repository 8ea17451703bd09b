#include "widecontrols/widecstr.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "classlib/checkedsize.h"
#include "classlib/exceptions.h"

namespace {
constexpr size_t kHeaderBytes = 4;
}  // namespace

wchar_t* WStrEnd(const wchar_t* s) {
  while (*s != 0) ++s;
  return const_cast<wchar_t*>(s);
}

size_t WStrLen(const wchar_t* s) { return static_cast<size_t>(WStrEnd(s) - s); }

wchar_t* WStrLCopy(wchar_t* dest, const wchar_t* source, size_t maxLen) {
  size_t i = 0;
  for (; i < maxLen && source[i] != 0; ++i) dest[i] = source[i];
  dest[i] = 0;
  return dest;
}

wchar_t* WStrScan(const wchar_t* s, wchar_t ch) {
  for (;; ++s) {
    if (*s == ch) return const_cast<wchar_t*>(s);
    if (*s == 0) return nullptr;
  }
}

wchar_t* WStrMove(wchar_t* dest, const wchar_t* source, size_t count) {
  if (count > 0) std::memmove(dest, source, count * sizeof(wchar_t));
  return dest;
}

wchar_t* WStrAlloc(size_t size) {
  auto units = CheckedMul(size, sizeof(wchar_t));
  auto bytes = units ? CheckedAdd(*units, kHeaderBytes) : std::nullopt;
  if (!bytes || *bytes > UINT32_MAX || *bytes > SIZE_MAX) throw EOutOfMemory("Out of memory");
  auto* block = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(*bytes)));
  if (block == nullptr) throw EOutOfMemory("Out of memory");
  auto stored = static_cast<uint32_t>(*bytes);
  std::memcpy(block, &stored, sizeof stored);
  return reinterpret_cast<wchar_t*>(block + kHeaderBytes);
}

wchar_t* WStrNew(const wchar_t* s) {
  if (s == nullptr) return nullptr;
  size_t n = WStrLen(s) + 1;
  return WStrMove(WStrAlloc(n), s, n);
}

void WStrDispose(wchar_t* s) {
  if (s != nullptr) std::free(reinterpret_cast<unsigned char*>(s) - kHeaderBytes);
}

void StrSwapByteOrder(wchar_t* s) {
  for (; *s != 0; ++s) {
    auto unit = static_cast<uint16_t>(*s);
    *s = static_cast<wchar_t>(static_cast<uint16_t>((unit << 8) | (unit >> 8)));
  }
}

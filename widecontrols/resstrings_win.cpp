#include "widecontrols/resstrings.h"

#include <windows.h>

#include "widecontrols/win32wide.h"

std::wstring LoadResStringEntry(const uintptr_t* module, uint32_t identifier) {
  // One unit more than the longest text, for the terminator.
  constexpr int kBufferUnits = 4097;
  HINSTANCE instance = module != nullptr ? reinterpret_cast<HINSTANCE>(*module) : GetModuleHandleW(nullptr);
  std::wstring buffer(kBufferUnits, L'\0');
  int n = Wide_LoadStringW(instance, identifier, buffer.data(), kBufferUnits);
  buffer.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return buffer;
}

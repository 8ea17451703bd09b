#include "classlib/codepage.h"

#include <windows.h>

#include <climits>

unsigned AnsiCodePage() { return GetACP(); }
unsigned OemCodePage() { return GetOEMCP(); }

std::wstring MultiByteToWide(std::string_view text, unsigned codePage) {
  if (text.empty() || text.size() > INT_MAX) return {};
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring result(static_cast<size_t>(n), L'\0');
  n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), n);
  result.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return result;
}

std::string WideToMultiByte(std::wstring_view text, unsigned codePage, bool* usedDefaultChar) {
  if (usedDefaultChar != nullptr) *usedDefaultChar = false;
  if (text.empty() || text.size() > INT_MAX / 4) return {};
  // UTF-7 and UTF-8 refuse the default-character arguments.
  bool canReport = codePage != CP_UTF8 && codePage != CP_UTF7;
  BOOL usedDefault = FALSE;
  BOOL* used = canReport && usedDefaultChar != nullptr ? &usedDefault : nullptr;
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  if (n <= 0) return {};
  std::string result(static_cast<size_t>(n), '\0');
  n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), n,
                          nullptr, used);
  result.resize(n > 0 ? static_cast<size_t>(n) : 0);
  if (used != nullptr) *usedDefaultChar = usedDefault != FALSE;
  return result;
}

bool WideToMultiByteExact(std::wstring_view text, unsigned codePage, std::string& out) {
  out.clear();
  if (text.empty() || text.size() > INT_MAX / 4) return false;
  // UTF-7 and UTF-8 hold every character and refuse these flags.
  const bool unicode = codePage == CP_UTF8 || codePage == CP_UTF7;
  const DWORD flags = unicode ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* used = unicode ? nullptr : &usedDefault;
  const int length = static_cast<int>(text.size());
  int n = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  std::string bytes(static_cast<size_t>(n), '\0');
  n = WideCharToMultiByte(codePage, flags, text.data(), length, bytes.data(), n, nullptr, used);
  if (n <= 0 || usedDefault) return false;
  bytes.resize(static_cast<size_t>(n));
  // The flag is not honoured by every code page: only the way back proves it.
  if (MultiByteToWide(bytes, codePage) != text) return false;
  out = std::move(bytes);
  return true;
}

std::string CharToOemString(std::string_view text) {
  std::string result(text);
  if (!result.empty()) CharToOemBuffA(result.data(), result.data(), static_cast<DWORD>(result.size()));
  return result;
}

std::string OemToCharString(std::string_view text) {
  std::string result(text);
  if (!result.empty()) OemToCharBuffA(result.data(), result.data(), static_cast<DWORD>(result.size()));
  return result;
}

bool IsAnsiLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

#include "app/versioninfo.h"

#include <windows.h>

#include <algorithm>
#include <vector>

std::optional<std::string> ReadFileVersionText(const std::string& fileName) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<char> buffer(size);
  if (!GetFileVersionInfoA(fileName.c_str(), 0, size, buffer.data())) return std::nullopt;
  char* text = nullptr;
  UINT length = 0;
  char query[] = "\\StringFileInfo\\041904E3\\FileVersion";
  if (!VerQueryValueA(buffer.data(), query, reinterpret_cast<void**>(&text), &length) || text == nullptr)
    return std::nullopt;
  // The text lies in the buffer; a damaged resource must not make it run past.
  const char* end = buffer.data() + buffer.size();
  if (text < buffer.data() || text >= end) return std::nullopt;
  const size_t available = static_cast<size_t>(end - text);
  // The length counts the terminating zero when there is one.
  std::string version(text, std::min<size_t>(length, available));
  while (!version.empty() && version.back() == '\0') version.pop_back();
  return version;
}

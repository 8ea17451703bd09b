#include "shell/openablepath.h"

#include <windows.h>

#include <string_view>
#include <vector>

#include "classlib/codepage.h"

namespace {

constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";
constexpr std::wstring_view kExtendedUncPrefix = L"\\\\?\\UNC\\";

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

std::vector<std::wstring_view> Parts(std::wstring_view path) {
  std::vector<std::wstring_view> parts;
  for (size_t start = 0;;) {
    const size_t end = path.find(L'\\', start);
    parts.push_back(path.substr(start, end - start));
    if (end == std::wstring_view::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& path) {
  if (path.size() < MAX_PATH || StartsWith(path, kExtendedPrefix)) return path;
  if (path.size() > 2 && path[1] == L':' && path[2] == L'\\') return std::wstring(kExtendedPrefix) + path;
  if (StartsWith(path, L"\\\\")) return std::wstring(kExtendedUncPrefix) + path.substr(2);
  return path;
}

std::wstring ShortPathName(const std::wstring& path) {
  const std::wstring asked = ExtendedLengthPath(path);
  std::wstring result(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetShortPathNameW(asked.c_str(), result.data(), static_cast<DWORD>(result.size()));
    if (length == 0) return {};
    if (length < result.size()) {
      result.resize(length);
      break;
    }
    result.resize(length);
  }
  if (StartsWith(result, kExtendedUncPrefix)) return L"\\\\" + result.substr(kExtendedUncPrefix.size());
  if (StartsWith(result, kExtendedPrefix)) return result.substr(kExtendedPrefix.size());
  return result;
}

std::string OpenablePath(const std::wstring& path) {
  std::string exact;
  if (WideToMultiByteExact(path, kAnsiCodePage, exact)) return exact;
  const std::wstring shortPath = ShortPathName(path);
  if (shortPath.empty()) return {};
  const std::vector<std::wstring_view> longParts = Parts(path);
  const std::vector<std::wstring_view> shortParts = Parts(shortPath);
  // The short form names the same folders in the same order; only a path
  // the system spelled another way (a relative one, say) is taken whole.
  if (longParts.size() != shortParts.size()) return WideToMultiByteExact(shortPath, kAnsiCodePage, exact) ? exact : "";
  std::string result;
  for (size_t i = 0; i < longParts.size(); ++i) {
    std::string part;
    if (!longParts[i].empty() && !WideToMultiByteExact(longParts[i], kAnsiCodePage, part) &&
        !WideToMultiByteExact(shortParts[i], kAnsiCodePage, part))
      return {};
    if (i > 0) result += '\\';
    result += part;
  }
  return result;
}

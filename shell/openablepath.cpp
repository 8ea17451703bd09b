#include "shell/openablepath.h"

#include <windows.h>
#include <winternl.h>

#include <cwctype>
#include <string_view>
#include <vector>

#include "classlib/codepage.h"
#include "shell/owners.h"

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

// The path the system gave back in the "\\?\" form as a plain one.
std::wstring PlainPath(std::wstring path) {
  if (StartsWith(path, kExtendedUncPrefix)) return L"\\\\" + path.substr(kExtendedUncPrefix.size());
  if (StartsWith(path, kExtendedPrefix)) return path.substr(kExtendedPrefix.size());
  return path;
}

// One of the system's path calls that fill a buffer, asked for path in the
// form it takes past MAX_PATH characters; "" when it fails.
template <class Call>
std::wstring AskPath(const std::wstring& path, Call call) {
  const std::wstring asked = ExtendedLengthPath(path);
  std::wstring result(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = call(asked.c_str(), result.data(), static_cast<DWORD>(result.size()));
    if (length == 0) return {};
    const bool fits = length < result.size();
    result.resize(length);
    if (fits) return PlainPath(std::move(result));
  }
}

}  // namespace

bool IsFullyQualified(std::wstring_view path) {
  if (path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\') return true;
  if (path.size() < 5 || path.substr(0, 2) != L"\\\\" || path[2] == L'\\') return false;
  // The server's name, then the share's.
  const size_t cut = path.find(L'\\', 2);
  return cut != std::wstring_view::npos && cut + 1 < path.size() && path[cut + 1] != L'\\';
}

std::wstring AbsolutePath(const std::wstring& path) {
  if (path.empty() || IsFullyQualified(path) || (path.size() == 2 && path[1] == L':')) return path;
  return FullPathName(path);
}

std::wstring FullPathName(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    const bool fits = length < full.size();
    full.resize(length);
    if (fits) return full;
  }
}

bool MayBeShortName(std::wstring_view name) { return name.find(L'~') != std::wstring_view::npos; }

bool IsOwnShortName(const std::wstring& name) {
  // The file systems decide by the system's own rule (the OEM code page
  // holds the characters, lengths 8 and 3, no other characters of its
  // kind); where the rule cannot be asked, any name with a "~" counts.
  using TIsLegal = BOOLEAN(NTAPI*)(PUNICODE_STRING, POEM_STRING, PBOOLEAN);
  static const auto isLegal = reinterpret_cast<TIsLegal>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlIsNameLegalDOS8Dot3")));
  if (isLegal == nullptr) return MayBeShortName(name);
  if (name.empty() || name.size() > 12) return false;
  std::wstring text = name;
  UNICODE_STRING unicode{static_cast<USHORT>(text.size() * sizeof(wchar_t)),
                         static_cast<USHORT>(text.size() * sizeof(wchar_t)), text.data()};
  char oem[32] = {};
  OEM_STRING oemText{0, sizeof oem, oem};
  BOOLEAN spaces = FALSE;
  return isLegal(&unicode, &oemText, &spaces) && !spaces;
}

std::wstring ExtendedLengthPath(const std::wstring& path) {
  if (path.size() < MAX_PATH || StartsWith(path, kExtendedPrefix)) return path;
  if (path.size() > 2 && path[1] == L':' && path[2] == L'\\') return std::wstring(kExtendedPrefix) + path;
  if (StartsWith(path, L"\\\\")) return std::wstring(kExtendedUncPrefix) + path.substr(2);
  return path;
}

std::wstring ShortPathName(const std::wstring& path) { return AskPath(path, GetShortPathNameW); }

std::wstring RealPath(const std::wstring& path) {
  // Only a part with a "~" can be a short name; the call is slow.
  if (!MayBeShortName(path)) return path;
  std::wstring real = AskPath(path, GetLongPathNameW);
  return real.empty() ? path : real;
}

HANDLE OpenForMetadata(const std::wstring& path) {
  return CreateFileW(ExtendedLengthPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::wstring FinalPath(const std::wstring& path) {
  std::wstring existing = path, rest;
  if (existing.size() > 3 && existing.back() == L'\\') existing.pop_back();
  for (;;) {
    if (const TOwnedHandle file{OpenForMetadata(existing)}) {
      const std::wstring final = AskPath(existing, [&file](const wchar_t*, wchar_t* buffer, DWORD size) {
        return GetFinalPathNameByHandleW(file.Get(), buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
      });
      if (final.empty() || rest.empty()) return final;
      return (final.back() == L'\\' ? final : final + L'\\') + rest;
    }
    // Only a part that is not there is left to be made; a folder that
    // cannot be opened for another reason hides where it leads.
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return {};
    const size_t cut = existing.rfind(L'\\');
    if (cut == std::wstring::npos || cut + 1 == existing.size() || (cut <= 2 && (cut != 2 || existing[1] != L':')))
      return {};
    rest = existing.substr(cut + 1) + (rest.empty() ? L"" : L"\\" + rest);
    // A drive's root keeps its "\".
    existing.resize(existing[cut - 1] == L':' ? cut + 1 : cut);
  }
}

std::wstring ShellPath(const std::wstring& path) {
  std::wstring real = RealPath(path);
  return real.size() < MAX_PATH ? real : path;
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

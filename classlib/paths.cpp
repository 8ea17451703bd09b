#include "classlib/paths.h"

#include "classlib/codepage.h"

namespace {

// Marks which bytes start a character, so a trail byte of a double-byte
// character is never taken for a delimiter.
bool IsTrailByte(std::string_view s, size_t index) {
  bool trail = false;
  for (size_t i = 0; i < index; ++i) {
    if (trail) {
      trail = false;
      continue;
    }
    trail = IsAnsiLeadByte(static_cast<unsigned char>(s[i]));
  }
  return trail;
}

template <class Char>
size_t LastOf(std::basic_string_view<Char> delimiters, std::basic_string_view<Char> s) {
  for (size_t i = s.size(); i-- > 0;) {
    if (delimiters.find(s[i]) == std::basic_string_view<Char>::npos) continue;
    if constexpr (sizeof(Char) == 1) {
      if (IsTrailByte(s, i)) continue;
    }
    return i;
  }
  return std::basic_string_view<Char>::npos;
}

}  // namespace

size_t LastDelimiter(std::string_view delimiters, std::string_view s) { return LastOf(delimiters, s); }

bool IsPathDelimiter(std::string_view s, size_t index) {
  return index < s.size() && s[index] == '\\' && !IsTrailByte(s, index);
}

size_t FirstDelimiter(std::string_view delimiters, std::string_view s, size_t from) {
  for (size_t i = from; i < s.size(); ++i) {
    if (IsAnsiLeadByte(static_cast<unsigned char>(s[i]))) {
      ++i;
      continue;
    }
    if (delimiters.find(s[i]) != std::string_view::npos) return i;
  }
  return std::string_view::npos;
}

size_t NextPathDelimiter(std::string_view s, size_t from) { return FirstDelimiter("\\", s, from); }

std::vector<std::string_view> PathParts(std::string_view path) {
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t end = NextPathDelimiter(path, start);
    parts.push_back(path.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::string ExtractFilePath(std::string_view fileName) {
  size_t i = LastDelimiter("\\:", fileName);
  return i == std::string_view::npos ? std::string() : std::string(fileName.substr(0, i + 1));
}

std::string ExtractFileDir(std::string_view fileName) {
  size_t i = LastDelimiter("\\:", fileName);
  if (i == std::string_view::npos) return {};
  // Keep the delimiter of a root ("C:\", "\") and after a drive (":").
  if (i > 0 && fileName[i] == '\\' && fileName[i - 1] != '\\' && fileName[i - 1] != ':') {
    return std::string(fileName.substr(0, i));
  }
  return std::string(fileName.substr(0, i + 1));
}

std::string ExtractFileName(std::string_view fileName) {
  size_t i = LastDelimiter("\\:", fileName);
  return std::string(i == std::string_view::npos ? fileName : fileName.substr(i + 1));
}

std::string ExtractFileExt(std::string_view fileName) {
  size_t i = LastDelimiter(".\\:", fileName);
  if (i == std::string_view::npos || fileName[i] != '.') return {};
  return std::string(fileName.substr(i));
}

std::string ExtractFileDrive(std::string_view fileName) {
  if (fileName.size() >= 2 && fileName[1] == ':') return std::string(fileName.substr(0, 2));
  if (fileName.size() >= 2 && fileName[0] == '\\' && fileName[1] == '\\') {
    // "\\server\share"
    size_t n = 0, i = 2;
    for (; i < fileName.size(); ++i) {
      if (fileName[i] == '\\' && ++n == 2) break;
    }
    return std::string(fileName.substr(0, i));
  }
  return {};
}

std::string ChangeFileExt(std::string_view fileName, std::string_view extension) {
  size_t i = LastDelimiter(".\\:", fileName);
  if (i == std::string_view::npos || fileName[i] != '.') i = fileName.size();
  return std::string(fileName.substr(0, i)) + std::string(extension);
}

std::string IncludeTrailingBackslash(std::string_view s) {
  std::string r(s);
  if (r.empty() || !IsPathDelimiter(r, r.size() - 1)) r += '\\';
  return r;
}

std::string ExcludeTrailingBackslash(std::string_view s) {
  std::string r(s);
  if (!r.empty() && IsPathDelimiter(r, r.size() - 1)) r.pop_back();
  return r;
}

std::wstring WideExtractFilePath(std::wstring_view fileName) {
  size_t i = LastOf<wchar_t>(L"\\:", fileName);
  return i == std::wstring_view::npos ? std::wstring() : std::wstring(fileName.substr(0, i + 1));
}

std::wstring WideExtractFileName(std::wstring_view fileName) {
  size_t i = LastOf<wchar_t>(L"\\:", fileName);
  return std::wstring(i == std::wstring_view::npos ? fileName : fileName.substr(i + 1));
}

std::wstring WideExtractFileExt(std::wstring_view fileName) {
  size_t i = LastOf<wchar_t>(L".\\:", fileName);
  if (i == std::wstring_view::npos || fileName[i] != L'.') return {};
  return std::wstring(fileName.substr(i));
}

std::wstring WideIncludeTrailingBackslash(std::wstring_view s) {
  std::wstring r(s);
  if (r.empty() || r.back() != L'\\') r += L'\\';
  return r;
}

std::wstring WideExcludeTrailingBackslash(std::wstring_view s) {
  std::wstring r(s);
  if (!r.empty() && r.back() == L'\\') r.pop_back();
  return r;
}

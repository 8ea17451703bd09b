// File-name helpers over 8-bit paths with "\" (and ":" after a drive letter)
// as delimiters. A "\" that is the trail byte of a double-byte character is
// not a delimiter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Index of the last character of s that is one of delimiters, or npos.
size_t LastDelimiter(std::string_view delimiters, std::string_view s);
// Index of the first character at or after from (where a character starts)
// that is one of delimiters, or npos.
size_t FirstDelimiter(std::string_view delimiters, std::string_view s, size_t from = 0);
// True when s[index] is a single-byte "\" (not a trail byte).
bool IsPathDelimiter(std::string_view s, size_t index);
// Index of the first delimiting "\" at or after from (where a character
// starts), or npos.
size_t NextPathDelimiter(std::string_view s, size_t from);
// The texts between the delimiting "\"s of path ("C:\a\b": "C:", "a", "b").
std::vector<std::string_view> PathParts(std::string_view path);

// "C:\a\b.txt": path "C:\a\", dir "C:\a", name "b.txt", ext ".txt".
std::string ExtractFilePath(std::string_view fileName);
std::string ExtractFileDir(std::string_view fileName);
std::string ExtractFileName(std::string_view fileName);
std::string ExtractFileExt(std::string_view fileName);
std::string ExtractFileDrive(std::string_view fileName);
std::string ChangeFileExt(std::string_view fileName, std::string_view extension);
std::string IncludeTrailingBackslash(std::string_view s);
std::string ExcludeTrailingBackslash(std::string_view s);

// Wide forms of the same helpers.
std::wstring WideExtractFilePath(std::wstring_view fileName);
std::wstring WideExtractFileName(std::wstring_view fileName);
std::wstring WideExtractFileExt(std::wstring_view fileName);
std::wstring WideIncludeTrailingBackslash(std::wstring_view s);
std::wstring WideExcludeTrailingBackslash(std::wstring_view s);

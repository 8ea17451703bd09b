#include "search/folderindex.h"

#include "classlib/codepage.h"
#include "classlib/strutils.h"

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The index compares with the locale's case rules; most paths differ in an
// ASCII byte already, which settles it without asking the locale.
bool SameTextQuick(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return AnsiCompareText(a, b) == 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x == y) continue;
    if (x < 0x80 && y < 0x80) {
      if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
      continue;
    }
    return AnsiCompareText(a, b) == 0;
  }
  return true;
}

// The first "\" at or after from that is not the second byte of a
// double-byte character, or npos.
size_t NextDelimiter(std::string_view s, size_t from) {
  for (size_t i = from; i < s.size(); ++i) {
    if (IsAnsiLeadByte(static_cast<unsigned char>(s[i]))) {
      ++i;
      continue;
    }
    if (s[i] == '\\') return i;
  }
  return std::string_view::npos;
}

}  // namespace

bool IsPathBelow(std::string_view path, std::string_view folder, bool directOnly) {
  if (path.size() <= folder.size() + 1 || path[folder.size()] != '\\') return false;
  if (!SameTextQuick(path.substr(0, folder.size()), folder)) return false;
  return !directOnly || NextDelimiter(path, folder.size() + 1) == std::string_view::npos;
}

bool TFolderIndex::Less::operator()(const std::string& a, const std::string& b) const {
  return AnsiCompareText(a, b) < 0;
}

void TFolderIndex::Add(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock_);
  paths_.insert(path);
}

void TFolderIndex::AddAll(const std::vector<std::string>& paths) {
  std::lock_guard<std::mutex> guard(lock_);
  for (const std::string& path : paths) paths_.insert(path);
}

int TFolderIndex::Count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return static_cast<int>(paths_.size());
}

bool TFolderIndex::Contains(std::string_view path) const {
  std::lock_guard<std::mutex> guard(lock_);
  return paths_.count(std::string(path)) != 0;
}

std::vector<std::string> TFolderIndex::Paths() const {
  std::lock_guard<std::mutex> guard(lock_);
  return std::vector<std::string>(paths_.begin(), paths_.end());
}

std::vector<std::string> TFolderIndex::PathsBelow(std::string_view folder, bool recurse) const {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<std::string> result;
  for (const std::string& path : paths_)
    if (IsPathBelow(path, folder, !recurse)) result.push_back(path);
  return result;
}

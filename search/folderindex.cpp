#include "search/folderindex.h"

#include "classlib/codepage.h"
#include "classlib/paths.h"
#include "classlib/strutils.h"

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// The index compares with the locale's case rules; most paths differ in an
// ASCII byte already, or are ASCII and differ in length, which settles it
// without asking the locale. The second byte of a double-byte character is
// no letter of its own: 0x83 0x4E and 0x83 0x6E are two katakana, not one
// in two cases, so only the locale may call them alike.
bool SameTextQuick(std::string_view a, std::string_view b) {
  const size_t common = a.size() < b.size() ? a.size() : b.size();
  bool trail = false;
  for (size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x == y) {
      // Both texts read alike so far, so a lead byte here leads in both.
      trail = !trail && x >= 0x80 && IsAnsiLeadByte(x);
      continue;
    }
    if (!trail && x < 0x80 && y < 0x80) {
      if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
      continue;
    }
    return AnsiCompareText(a, b) == 0;
  }
  if (a.size() == b.size()) return true;
  return !(IsAscii(a) && IsAscii(b)) && AnsiCompareText(a, b) == 0;
}

// Whether path is folder or starts with folder + "\".
bool StartsWithFolder(std::string_view path, std::string_view folder) {
  if (path.size() < folder.size() || (path.size() > folder.size() && path[folder.size()] != '\\')) return false;
  return SameTextQuick(path.substr(0, folder.size()), folder);
}

// The ways the walk spells a folder at the start of a path below it: as it
// is, or, where the path grew too long, with any of its deepest parts by
// their short names (FitPath), down to its short form whole.
class TFolderSpelling {
public:
  TFolderSpelling(std::string_view folder, std::string_view shortFolder) : folder_(folder) {
    if (shortFolder.empty() || SameTextQuick(folder, shortFolder)) return;
    short_ = shortFolder;
    longParts_ = PathParts(folder);
    shortParts_ = PathParts(shortFolder);
    // A short form spelled another way is only ever taken whole.
    if (longParts_.size() != shortParts_.size()) {
      longParts_.clear();
      return;
    }
    // The leading parts that both forms spell alike start every path below.
    while (sameParts_ < longParts_.size() && SameTextQuick(longParts_[sameParts_], shortParts_[sameParts_])) {
      sameLength_ += longParts_[sameParts_].size() + 1;
      ++sameParts_;
    }
    if (sameParts_ == longParts_.size()) short_ = {};  // no other spelling after all
  }

  // The length of the start of path that spells the folder, which is all
  // of path or followed by "\"; npos when no start does.
  size_t Prefix(std::string_view path) const {
    if (StartsWithFolder(path, folder_)) return folder_.size();
    if (short_.empty()) return std::string_view::npos;
    if (longParts_.empty()) return StartsWithFolder(path, short_) ? short_.size() : std::string_view::npos;
    if (path.size() < sameLength_ || !SameTextQuick(path.substr(0, sameLength_), folder_.substr(0, sameLength_)))
      return std::string_view::npos;
    size_t pos = sameLength_;
    for (size_t i = sameParts_;; ++i) {
      const size_t end = NextPathDelimiter(path, pos);
      const std::string_view part = path.substr(pos, end == std::string_view::npos ? end : end - pos);
      if (!SameTextQuick(part, longParts_[i]) && !SameTextQuick(part, shortParts_[i])) return std::string_view::npos;
      if (i + 1 == longParts_.size()) return end == std::string_view::npos ? path.size() : end;
      if (end == std::string_view::npos) return std::string_view::npos;
      pos = end + 1;
    }
  }

  bool Below(std::string_view path, bool directOnly) const {
    const size_t prefix = Prefix(path);
    // "folder\" alone names nothing below it.
    if (prefix == std::string_view::npos || prefix + 1 >= path.size()) return false;
    return !directOnly || NextPathDelimiter(path, prefix + 1) == std::string_view::npos;
  }

private:
  std::string_view folder_;
  std::string_view short_;
  std::vector<std::string_view> longParts_;
  std::vector<std::string_view> shortParts_;
  size_t sameParts_ = 0;
  size_t sameLength_ = 0;  // of those parts and the delimiter after each
};

}  // namespace

bool IsPathBelow(std::string_view path, std::string_view folder, bool directOnly) {
  return TFolderSpelling(folder, {}).Below(path, directOnly);
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

void TFolderIndex::SetLeftOut(const std::string& folder, int count) {
  std::lock_guard<std::mutex> guard(lock_);
  leftOut_[folder] = count;
}

TFolderIndex::TBelow TFolderIndex::PathsBelow(std::string_view folder, std::string_view shortFolder,
                                              bool recurse) const {
  const TFolderSpelling spelling(folder, shortFolder);
  std::lock_guard<std::mutex> guard(lock_);
  TBelow result;
  for (const std::string& path : paths_)
    if (spelling.Below(path, !recurse)) result.Paths.push_back(path);
  // The entries left out of the folder itself, and of those below it that
  // the search enters.
  for (const auto& [walked, count] : leftOut_)
    if (spelling.Prefix(walked) == walked.size() || (recurse && spelling.Below(walked, false)))
      result.LeftOut += count;
  return result;
}

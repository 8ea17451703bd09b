// The folder index: full paths of indexed folders and of every file and
// folder below them, without a trailing "\", sorted in the locale's order
// with letter case ignored, each path once (a path that compares equal to
// one already present, as one differing only in case does, is not added
// again), spelled as the walk spells them (see FitPath). Beside them, how
// many entries of each folder the walk had to leave out. Nothing is ever
// removed.
//
// Indexers add to it from the main thread while search threads copy from it
// on their own threads, so every access holds its guard.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class TFolderIndex {
public:
  TFolderIndex() = default;
  TFolderIndex(const TFolderIndex&) = delete;
  TFolderIndex& operator=(const TFolderIndex&) = delete;

  void Add(const std::string& path);
  void AddAll(const std::vector<std::string>& paths);
  int Count() const;
  bool Contains(std::string_view path) const;
  // Every path, in order.
  std::vector<std::string> Paths() const;
  // Records that the walk of folder left out count of its entries (they
  // have no path the 8-bit calls open). A folder walked again (by
  // overlapping indexers) keeps one count.
  void SetLeftOut(const std::string& folder, int count);

  struct TBelow {
    std::vector<std::string> Paths;  // in order
    int LeftOut = 0;                 // entries of the folders searched that the walk left out
  };
  // The paths below folder, in order: all of them when recurse is set,
  // otherwise only those directly in it; folder itself is not among them.
  // shortFolder is the same folder by its short names, which the walk
  // spells the deep paths below it with: a path spelled with any of the two
  // forms of each of folder's parts counts as below it.
  TBelow PathsBelow(std::string_view folder, std::string_view shortFolder, bool recurse) const;
  std::vector<std::string> PathsBelow(std::string_view folder, bool recurse) const {
    return PathsBelow(folder, {}, recurse).Paths;
  }

private:
  struct Less {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  mutable std::mutex lock_;
  std::set<std::string, Less> paths_;
  std::map<std::string, int, Less> leftOut_;
};

// Whether path lies below folder (given without a trailing "\"), comparing
// with letter case ignored as the index does; with directOnly, whether it
// lies directly in it.
bool IsPathBelow(std::string_view path, std::string_view folder, bool directOnly);

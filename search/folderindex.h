// The folder index: full paths of indexed folders and of every file and
// folder below them, without a trailing "\", sorted in the locale's order
// with letter case ignored, each path once (a path that compares equal to
// one already present, as one differing only in case does, is not added
// again). Nothing is ever removed.
//
// Indexers add to it from the main thread while search threads copy from it
// on their own threads, so every access holds its guard.
#pragma once

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
  // The paths below folder, in order: all of them when recurse is set,
  // otherwise only those directly in it. folder itself is not among them.
  std::vector<std::string> PathsBelow(std::string_view folder, bool recurse) const;

private:
  struct Less {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  mutable std::mutex lock_;
  std::set<std::string, Less> paths_;
};

// Whether path lies below folder (given without a trailing "\"), comparing
// with letter case ignored as the index does; with directOnly, whether it
// lies directly in it.
bool IsPathBelow(std::string_view path, std::string_view folder, bool directOnly);

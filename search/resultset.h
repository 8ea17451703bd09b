// The result list's stores: normally one; while the name filter is on, the
// complete store waits aside and a second store holds copies of the records
// whose names pass, and that second store is what the list shows and what
// every operation works on.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "search/fileinfo.h"

class TResultSet {
public:
  TResultSet();
  ~TResultSet();
  TResultSet(const TResultSet&) = delete;
  TResultSet& operator=(const TResultSet&) = delete;

  // What the list shows: the filtered store while filtering.
  TFileInfoList& Results() { return *results_; }
  const TFileInfoList& Results() const { return *results_; }
  bool Filtering() const { return allResults_ != nullptr; }

  // A new hit: shown at once, whatever its name; while filtering it also
  // joins the complete store, so it is still there when the filter goes.
  void Add(const TFileInfo& info);
  // A new search: both stores are emptied.
  void Clear();
  // A non-empty text filters the complete store by names holding it (letter
  // case ignored by the locale); an empty one brings the complete store back.
  void SetFilter(std::string_view text);

  // The positions in Results of records with the same name and folder as
  // the given ones, -1 for those no longer there; one pass over the store.
  std::vector<int> IndexesOf(const std::vector<TFileInfo>& records) const;

private:
  std::unique_ptr<TFileInfoList> results_;
  std::unique_ptr<TFileInfoList> allResults_;  // only while filtering
};

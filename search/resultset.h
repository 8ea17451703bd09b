// The result list's stores: normally one; while the name filter is on, the
// complete store waits aside and a second store holds copies of the records
// whose names pass, and that second store is what the list shows and what
// every operation works on. The copies keep their records' identities, so
// that a record removed from the list leaves the complete store too.
#pragma once

#include <cstdint>
#include <functional>
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
  // How many records there are, the filter aside.
  int CompleteCount() const { return (allResults_ ? *allResults_ : *results_).Count(); }

  // A new hit: shown at once, whatever its name; while filtering it also
  // joins the complete store, so it is still there when the filter goes.
  void Add(const TFileInfo& info);
  // A new search: both stores are emptied.
  void Clear();
  // A non-empty text filters the complete store by names holding it (letter
  // case ignored by the locale); an empty one brings the complete store back.
  void SetFilter(std::string_view text);

  // Removes the shown records at rows (any order) and the same records from
  // the complete store; one pass over each store.
  void RemoveRows(std::vector<int> rows);
  // Removes from both stores every record for which remove(store, index)
  // holds; the rows that left the shown store, lowest first.
  using TRecordTest = std::function<bool(const TFileInfoList& store, int index)>;
  std::vector<int> RemoveWhere(const TRecordTest& remove);

  // The positions in Results of the records with the given identities, -1
  // for those no longer there; one pass over the store.
  std::vector<int> IndexesOf(const std::vector<uint32_t>& ids) const;

private:
  // rows: ascending, without repeats.
  void RemoveShownRows(const std::vector<int>& rows);

  std::unique_ptr<TFileInfoList> results_;
  std::unique_ptr<TFileInfoList> allResults_;  // only while filtering
};

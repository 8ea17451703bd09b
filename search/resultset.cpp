#include "search/resultset.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "classlib/strutils.h"

TResultSet::TResultSet() : results_(std::make_unique<TFileInfoList>()) {}

TResultSet::~TResultSet() = default;

void TResultSet::Add(const TFileInfo& info) {
  results_->Add(info);
  if (allResults_) allResults_->AddCopyOf(*results_, results_->Count() - 1);
}

void TResultSet::Clear() {
  results_->Clear();
  if (allResults_) allResults_->Clear();
}

void TResultSet::SetFilter(std::string_view text) {
  if (text.empty()) {
    if (allResults_) results_ = std::move(allResults_);
    return;
  }
  if (!allResults_) {
    allResults_ = std::move(results_);
    results_ = std::make_unique<TFileInfoList>();
  }
  results_->Clear();
  const std::string needle = AnsiLowerCase(text);
  for (int i = 0; i < allResults_->Count(); ++i)
    if (AnsiLowerCase(allResults_->Name(i)).find(needle) != std::string::npos) results_->AddCopyOf(*allResults_, i);
}

void TResultSet::RemoveRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (allResults_) {
    std::unordered_set<uint32_t> ids;
    ids.reserve(rows.size());
    for (int row : rows) ids.insert(results_->Id(row));
    allResults_->DeleteWhere([&](int i) { return ids.count(allResults_->Id(i)) != 0; });
  }
  RemoveShownRows(rows);
}

std::vector<int> TResultSet::RemoveWhere(const TRecordTest& remove) {
  std::vector<int> rows;
  for (int i = 0; i < results_->Count(); ++i)
    if (remove(*results_, i)) rows.push_back(i);
  if (allResults_) allResults_->DeleteWhere([&](int i) { return remove(*allResults_, i); });
  RemoveShownRows(rows);
  return rows;
}

void TResultSet::RemoveShownRows(const std::vector<int>& rows) {
  auto next = rows.begin();
  results_->DeleteWhere([&](int i) {
    if (next == rows.end() || *next != i) return false;
    ++next;
    return true;
  });
}

std::vector<int> TResultSet::IndexesOf(const std::vector<uint32_t>& ids) const {
  std::vector<int> indexes(ids.size(), -1);
  if (ids.empty()) return indexes;
  std::unordered_map<uint32_t, size_t> wanted;
  wanted.reserve(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) wanted.emplace(ids[i], i);
  for (int i = 0; i < results_->Count() && !wanted.empty(); ++i) {
    auto found = wanted.find(results_->Id(i));
    if (found == wanted.end()) continue;
    indexes[found->second] = i;
    wanted.erase(found);
  }
  return indexes;
}

#include "search/resultset.h"

#include <unordered_map>

#include "classlib/strutils.h"

namespace {

std::string Identity(const TFileInfo& info) { return info.Path + '\\' + info.Name; }

}  // namespace

TResultSet::TResultSet() : results_(std::make_unique<TFileInfoList>()) {}

TResultSet::~TResultSet() = default;

void TResultSet::Add(const TFileInfo& info) {
  results_->Add(info);
  if (allResults_) allResults_->Add(info);
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
  for (int i = 0; i < allResults_->Count(); ++i) {
    const TFileInfo& info = allResults_->Item(i);
    if (AnsiLowerCase(info.Name).find(needle) != std::string::npos) results_->Add(info);
  }
}

std::vector<int> TResultSet::IndexesOf(const std::vector<TFileInfo>& records) const {
  std::vector<int> indexes(records.size(), -1);
  if (records.empty()) return indexes;
  std::unordered_map<std::string, size_t> wanted;
  for (size_t i = 0; i < records.size(); ++i) wanted.emplace(Identity(records[i]), i);
  for (int i = 0; i < results_->Count() && !wanted.empty(); ++i) {
    auto found = wanted.find(Identity(results_->Item(i)));
    if (found == wanted.end()) continue;
    indexes[found->second] = i;
    wanted.erase(found);
  }
  return indexes;
}

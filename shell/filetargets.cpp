#include "shell/filetargets.h"

#include <windows.h>

#include <map>
#include <set>

#include "classlib/paths.h"
#include "classlib/strutils.h"
#include "shell/openablepath.h"
#include "shell/pickedfiles.h"

namespace {

// The entries of a folder, listed once: by real name and by short name,
// both in upper case.
class TFolderListing {
public:
  explicit TFolderListing(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(ExtendedLengthPath(folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      entries_.emplace(WideUpperCase(name), FactsOf(data));
      if (data.cAlternateFileName[0] != L'\0') shortNames_.insert(WideUpperCase(data.cAlternateFileName));
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }

  // The entry whose real name is upperName.
  const TFileFacts* Entry(const std::wstring& upperName) const {
    const auto entry = entries_.find(upperName);
    return entry == entries_.end() ? nullptr : &entry->second;
  }
  const std::map<std::wstring, TFileFacts>& Entries() const { return entries_; }
  // Whether upperName reaches some entry, by either of its names.
  bool Holds(const std::wstring& upperName) const {
    return entries_.count(upperName) != 0 || shortNames_.count(upperName) != 0;
  }

private:
  std::map<std::wstring, TFileFacts> entries_;
  std::set<std::wstring> shortNames_;
};

// Free names of the form "a (2).txt" in one folder, each number tried once
// per name however many files of that name come.
class TFreeNames {
public:
  TFreeNames(const TFolderListing& listing, const std::set<std::wstring>& taken) : listing_(listing), taken_(taken) {}

  // A folder's name keeps its dots.
  std::wstring For(const std::wstring& name, bool isFolder) {
    const size_t dot = name.rfind(L'.');
    const size_t cut = isFolder || dot == std::wstring::npos || dot == 0 ? name.size() : dot;
    const std::wstring stem = name.substr(0, cut), extension = name.substr(cut);
    unsigned long long& next = next_[WideUpperCase(stem) + L'|' + WideUpperCase(extension)];
    if (next < 2) next = 2;
    for (;; ++next) {
      std::wstring candidate = stem + L" (" + std::to_wstring(next) + L")" + extension;
      const std::wstring upper = WideUpperCase(candidate);
      if (!taken_.count(upper) && !listing_.Holds(upper)) return candidate;
    }
  }

private:
  const TFolderListing& listing_;
  const std::set<std::wstring>& taken_;
  std::map<std::wstring, unsigned long long> next_;
};

// Whether every file below the folder source has a copy of its size and
// time in the same place below target: the shell may call a folder copied
// when it skipped a file in it. Links are not followed.
bool TreeArrived(const std::wstring& source, const std::wstring& target) {
  std::vector<std::pair<std::wstring, std::wstring>> folders{{source, target}};
  while (!folders.empty()) {
    const auto [from, to] = std::move(folders.back());
    folders.pop_back();
    const TFolderListing here(WideIncludeTrailingBackslash(from)), there(WideIncludeTrailingBackslash(to));
    for (const auto& [upper, facts] : here.Entries()) {
      const TFileFacts* copy = there.Entry(upper);
      if (copy == nullptr || copy->Folder != facts.Folder) return false;
      if (!facts.Folder) {
        if (copy->Size != facts.Size || !SameWriteTime(copy->Written, facts.Written)) return false;
      } else if (!facts.Link) {
        folders.emplace_back(WideIncludeTrailingBackslash(from) + facts.Name, WideIncludeTrailingBackslash(to) + copy->Name);
      }
    }
  }
  return true;
}

// There: already where it was to go (moved onto itself), and so is what it
// holds.
enum class TFate { Open, Goes, Stays, There };

class TPlanner {
public:
  TPlanner(const std::wstring& folder, TTransfer transfer, const TAskReplace& ask)
      : into_(WideIncludeTrailingBackslash(RealPath(FullPathName(folder)))), transfer_(transfer), ask_(ask),
        listing_(into_), freeNames_(listing_, taken_) {}

  std::optional<TTransferPlan> Plan(const std::vector<std::wstring>& sources) {
    picked_ = PickFiles(sources, identities_, into_);
    for (size_t i = 0; i < picked_.Files.size(); ++i)
      pickedSet_.Add(picked_.Files[i].Path, picked_.Files[i].Facts, static_cast<int>(i));
    TTransferPlan plan{into_, {}, picked_.Missing, {}};
    // A file that lies in a picked folder goes with it when that folder
    // moves, so its fate waits for the folder's.
    std::vector<TFate> fates(picked_.Files.size(), TFate::Open);
    for (bool decided = true; decided;) {
      decided = false;
      for (size_t i = 0; i < fates.size(); ++i) {
        if (fates[i] != TFate::Open) continue;
        const int within = transfer_ == TTransfer::Move ? picked_.Files[i].Within : -1;
        if (within >= 0 && fates[within] == TFate::Open) continue;
        decided = true;
        if (within >= 0 && (fates[within] == TFate::Goes || fates[within] == TFate::There)) {
          fates[i] = fates[within];
          continue;
        }
        const std::optional<TFate> fate = Decide(picked_.Files[i], plan);
        if (!fate) return std::nullopt;
        fates[i] = *fate;
      }
    }
    if (transfer_ == TTransfer::Move)
      for (const auto& [alias, index] : picked_.Aliases)
        if (fates[index] == TFate::Goes) plan.Aliases.emplace_back(alias, picked_.Files[index].Path);
    return plan;
  }

private:
  // nullopt when the user cancelled.
  std::optional<TFate> Decide(const TPickedFile& file, TTransferPlan& plan) {
    // The shell would stop there, and take none of the files after it; or,
    // following a link, copy the folder into itself until the path is too
    // long.
    if (file.HoldsDestination || (transfer_ == TTransfer::Copy && file.LeadsToDestination)) return Refuse(file, plan);
    std::wstring name = file.Facts.Name;
    const std::wstring upper = WideUpperCase(name);
    bool replaces = false, renamed = false;
    TFileFacts replaced;
    if (taken_.count(upper)) {
      renamed = true;
    } else if (const TFileFacts* there = listing_.Entry(upper)) {
      const std::wstring existing = into_ + there->Name;
      // Only the very entry is where a move would put it: another hard link
      // of the file there is a file of the selection, which a copy onto
      // it would write over itself.
      if (transfer_ == TTransfer::Move && identities_.Same(file.Path, file.Facts, existing, *there, TSameness::Entry))
        return TFate::There;
      if (IsPicked(existing, *there) || there->Folder != file.Facts.Folder) {
        renamed = true;
      } else {
        if (!Fits(existing)) return Refuse(file, plan);
        switch (ask_(existing)) {
          case TReplaceAnswer::Cancel:
            return std::nullopt;
          case TReplaceAnswer::Keep:
            return TFate::Stays;
          case TReplaceAnswer::Replace:
            replaces = true;
            replaced = *there;
            name = there->Name;
            break;
        }
      }
    } else if (listing_.Holds(upper)) {
      renamed = true;  // the name is another file's short name
    }
    if (renamed) name = freeNames_.For(name, file.Facts.Folder);
    taken_.insert(WideUpperCase(name));
    if (!Fits(into_ + name)) return Refuse(file, plan);
    plan.Files.push_back(TFileTarget{file.Path, into_ + name, replaces, file.Facts, replaced});
    return TFate::Goes;
  }

  static bool Fits(const std::wstring& target) { return target.size() < MAX_PATH; }

  TFate Refuse(const TPickedFile& file, TTransferPlan& plan) {
    plan.Refused.push_back(file.Path);
    return TFate::Stays;
  }

  bool IsPicked(const std::wstring& path, const TFileFacts& facts) { return pickedSet_.Find(path, facts) >= 0; }

  const std::wstring into_;
  const TTransfer transfer_;
  const TAskReplace& ask_;
  TFileIdentities identities_;
  TPickedFiles picked_;
  // By file: no file of the selection is replaced, by whichever entry.
  TFileSet pickedSet_{identities_, TSameness::File};
  const TFolderListing listing_;
  std::set<std::wstring> taken_;  // upper-case names given to files of this operation
  TFreeNames freeNames_;
};

}  // namespace

std::optional<TTransferPlan> PlanFileTargets(const std::vector<std::wstring>& sources, const std::wstring& folder,
                                             TTransfer transfer, const TAskReplace& ask) {
  return TPlanner(folder, transfer, ask).Plan(sources);
}

std::vector<std::wstring> NotArrived(const TTransferPlan& plan, TTransfer transfer) {
  const TFolderListing listing(plan.Folder);
  std::vector<std::wstring> missing;
  for (const TFileTarget& file : plan.Files) {
    // By real name only: a target reached through another file's short name
    // is that other file.
    const TFileFacts* there = listing.Entry(WideUpperCase(WideExtractFileName(file.Target)));
    bool arrived = there != nullptr && there->Folder == file.Facts.Folder;
    if (arrived && transfer == TTransfer::Move) arrived = PathGone(file.Source);
    if (arrived && !there->Folder) {
      TFileFacts source = file.Facts;
      if (transfer == TTransfer::Copy) {
        if (std::optional<TFileFacts> now = FileFacts(file.Source)) source = *now;
      }
      arrived = there->Size == source.Size && SameWriteTime(there->Written, source.Written);
    } else if (arrived && transfer == TTransfer::Copy) {
      arrived = TreeArrived(file.Source, plan.Folder + there->Name);
    }
    if (!arrived) missing.push_back(file.Source);
  }
  for (const auto& [alias, went] : plan.Aliases)
    if (PathGone(went) && !PathGone(alias)) missing.push_back(alias);
  return missing;
}

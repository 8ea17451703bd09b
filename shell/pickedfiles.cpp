#include "shell/pickedfiles.h"

#include <map>
#include <set>

#include "classlib/paths.h"
#include "classlib/strutils.h"
#include "shell/openablepath.h"

namespace {

// The folders that hold path, nearest first, up to (not with) its drive or
// server.
std::vector<std::wstring> Ancestors(const std::wstring& path) {
  std::vector<std::wstring> ancestors;
  std::wstring folder = path;
  for (;;) {
    const size_t cut = folder.rfind(L'\\');
    if (cut == std::wstring::npos || cut <= 2) return ancestors;
    folder.resize(cut);
    if (folder.back() == L':') return ancestors;
    ancestors.push_back(folder);
  }
}

class TPicker {
public:
  explicit TPicker(TFileIdentities& identities) : known_(identities, TSameness::Entry) {}

  void Add(const std::wstring& path) {
    if (path.empty()) return;
    const std::optional<TFileFacts> facts = FileFacts(path);
    if (!facts) {
      picked_.Missing.push_back(path);
      return;
    }
    if (const int earlier = known_.Find(path, *facts); earlier >= 0) {
      picked_.Aliases.emplace_back(path, earlier);
      return;
    }
    known_.Add(path, *facts, static_cast<int>(picked_.Files.size()));
    if (facts->Folder) folderNames_.insert(WideUpperCase(facts->Name));
    if (facts->Folder && facts->Link) links_.push_back(static_cast<int>(picked_.Files.size()));
    picked_.Files.push_back(TPickedFile{path, *facts});
  }

  TPickedFiles Finish(const std::wstring& destination) {
    if (folderNames_.empty()) return std::move(picked_);
    for (TPickedFile& file : picked_.Files) {
      for (const std::wstring& folder : Ancestors(file.Path)) {
        file.Within = PickedFolder(folder);
        if (file.Within >= 0) break;
      }
    }
    if (destination.empty()) return std::move(picked_);
    // Only a normalised text names the folders the destination lies in, and
    // only up to a link or a junction on its way: past one, it lies in the
    // folders of the link's target, which its final path names. A picked
    // link itself is named by the text alone.
    const std::wstring spelled = FullPathName(destination);
    MarkHolders(spelled);
    std::wstring reached = FinalPath(spelled);
    if (!reached.empty()) MarkHolders(reached);
    else reached = spelled;
    // Links are few: each is asked where it leads.
    const std::wstring upperReached = WideUpperCase(WideIncludeTrailingBackslash(reached));
    for (const int link : links_) {
      const std::wstring target = FinalPath(picked_.Files[link].Path);
      if (!target.empty() && upperReached.starts_with(WideUpperCase(WideIncludeTrailingBackslash(target))))
        picked_.Files[link].LeadsToDestination = true;
    }
    return std::move(picked_);
  }

private:
  void MarkHolders(const std::wstring& destination) {
    // With a final "\" the destination comes first among its own folders.
    for (const std::wstring& folder : Ancestors(WideIncludeTrailingBackslash(destination)))
      if (const int holding = PickedFolder(folder); holding >= 0) picked_.Files[holding].HoldsDestination = true;
  }

  // The index of the picked folder that folder reaches, -1 for none.
  int PickedFolder(const std::wstring& folder) {
    const std::wstring name = WideExtractFileName(folder);
    // Most folders on the way bear no picked folder's name: they need no
    // look at the disk.
    if (!MayBeShortName(name) && !folderNames_.count(WideUpperCase(name))) return -1;
    const std::optional<TFileFacts>& facts = FactsOfFolder(folder);
    return facts ? known_.Find(folder, *facts) : -1;
  }

  const std::optional<TFileFacts>& FactsOfFolder(const std::wstring& folder) {
    const std::wstring key = WideUpperCase(folder);
    const auto known = folders_.find(key);
    if (known != folders_.end()) return known->second;
    return folders_[key] = FileFacts(folder);
  }

  TFileSet known_;  // the picked entries
  TPickedFiles picked_;
  std::set<std::wstring> folderNames_;  // of the picked folders, by upper-case real name
  std::vector<int> links_;              // the picked folder links
  std::map<std::wstring, std::optional<TFileFacts>> folders_;
};

}  // namespace

TPickedFiles PickFiles(const std::vector<std::wstring>& paths, TFileIdentities& identities,
                       const std::wstring& destination) {
  TPicker picker(identities);
  for (const std::wstring& path : paths) picker.Add(path);
  return picker.Finish(destination);
}

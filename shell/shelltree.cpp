#include "shell/shelltree.h"

#include <shellapi.h>

#include <cstring>
#include <vector>

#include "classlib/application.h"
#include "classlib/imagelist.h"
#include "classlib/screen.h"
#include "classlib/stringlist.h"
#include "shell/fileinfo.h"
#include "shell/subfolders.h"

namespace {

// Ends the nodes' update mode however a scope is left.
class NodesUpdateScope {
public:
  explicit NodesUpdateScope(TTreeNodes* nodes) : nodes_(nodes) { nodes_->BeginUpdate(); }
  ~NodesUpdateScope() { nodes_->EndUpdate(); }
  NodesUpdateScope(const NodesUpdateScope&) = delete;
  NodesUpdateScope& operator=(const NodesUpdateScope&) = delete;

private:
  TTreeNodes* nodes_;
};

std::vector<std::string> SplitAtBackslash(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t at = line.find('\\', start);
    parts.push_back(line.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

// The first child of parent (a top-level node when parent is nil) whose
// text is exactly text.
TTreeNode* FindChildByText(TTreeNodes* nodes, TTreeNode* parent, const std::string& text) {
  TTreeNode* node = parent != nullptr ? parent->GetFirstChild() : nodes->GetFirstNode();
  for (; node != nullptr; node = node->GetNextSibling())
    if (node->Text() == text) return node;
  return nullptr;
}

void CheckLoadedDescendants(TTreeNode* node) {
  for (int i = 0; i < node->Count(); ++i) {
    TTreeNode* child = node->Item(i);
    TCheckTree::SetNodeCheckState(child, csChecked);
    CheckLoadedDescendants(child);
  }
}

}  // namespace

TShellTree::TShellTree(TComponent* owner) : TCheckTree(owner) {
  SetRightClickSelect(true);
  SetReadOnly(true);
  SetShowRoot(false);
  systemImages_ = new TImageList(this);
  systemImages_->SetShareImages(true);
  SHFILEINFOA info{};
  auto list = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (list != nullptr) systemImages_->SetHandle(list);
  SetImages(systemImages_);
  specialRoot_ = rsDesktop;
  SetRoot(specialRoot_);
}

TShellTree::~TShellTree() {
  // While this class is still whole, so each node's list is freed.
  Items()->Clear();
  delete systemImages_;
  systemImages_ = nullptr;
}

void TShellTree::Delete(TTreeNode* node) {
  PidlFree(NodePidl(node));
  node->SetData(nullptr);
  TCheckTree::Delete(node);
}

void TShellTree::SetSpecialRoot(TRootSpecial value) {
  specialRoot_ = value;
  SetRoot(value);
}

void TShellTree::SetRoot(TRootSpecial folder) {
  NodesUpdateScope update(Items());
  Items()->Clear();
  TOwnedPidl pidl(GetSpecialFolderPidl(folder));
  TTreeNode* root = Items()->AddObject(nullptr, "", nullptr);
  root->SetData(pidl.Take());
  InitNode(root);
  root->Expand(false);
}

void TShellTree::InitNode(TTreeNode* node) {
  PItemIDList pidl = NodePidl(node);
  SHFILEINFOA info{};
  if (pidl == nullptr ||
      SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &info, sizeof info,
                     SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_ATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON) == 0)
    return;
  node->SetText(std::string(info.szDisplayName, strnlen(info.szDisplayName, sizeof info.szDisplayName)));
  node->SetImageIndex(info.iIcon);
  node->SetHasChildren((info.dwAttributes & SFGAO_HASSUBFOLDER) != 0);
  node->SetSelectedIndex(GetPidlIconIndex(pidl, false, true));
  // Deeper than the drives, folders sort by their bytes (upper case first);
  // the shell's own order stays above.
  if ((info.dwAttributes & SFGAO_FOLDER) != 0 && node->Level() > 2) {
    for (TTreeNode* previous = node->GetPrevSibling(); previous != nullptr && previous->Text() > node->Text();
         previous = node->GetPrevSibling())
      node->MoveTo(previous, naInsert);
  }
  if (CheckBoxes()) {
    TTreeNode* parent = node->Parent();
    SetNodeCheckState(node, parent != nullptr && NodeCheckState(parent) == csChecked ? csChecked : csUnchecked);
  }
}

bool TShellTree::CanExpand(TTreeNode* node) {
  bool result = TCheckTree::CanExpand(node);
  if (!result) return false;
  if (node->HasChildren() && node->Count() == 0 && !PopulateNode(node)) return false;
  node->SetHasChildren(node->Count() > 0);
  return true;
}

bool TShellTree::PopulateNode(TTreeNode* node) {
  ScreenCursorScope hourglass(crHourGlass);
  NodesUpdateScope update(Items());
  PItemIDList parent = NodePidl(node);
  TComPtr<IShellFolder> folder;
  GetShellFolder(parent, true, folder);
  HWND owner = Application != nullptr ? Application->Handle() : nullptr;
  return EnumerateSubFolders(folder.Get(), owner, [&](LPITEMIDLIST item) {
    TOwnedPidl absolute(ConcatPidls(parent, item));
    if (!absolute) return;
    uint32_t attributes = GetPidlAttributes(absolute.Get(), SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR);
    if ((attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) == 0) return;
    if (IsSpecialFolderPidl(absolute.Get(), rsNetWork)) return;
    TTreeNode* child = Items()->AddChildObject(node, "", nullptr);
    child->SetData(absolute.Take());
    InitNode(child);
  });
}

void TShellTree::ToggleState(TTreeNode* node) {
  if (node == nullptr) return;
  TCheckTree::ToggleState(node);
  const TCheckState state = NodeCheckState(node);
  NodesUpdateScope update(Items());
  PItemIDList pidl = NodePidl(node);
  if (IsDesktopPidl(pidl)) {
    SetDescendantStatesInPath(node, state);
    return;
  }
  if (IsSpecialFolderPidl(pidl, rsDrives)) {
    SetDriveStates(node, state);
    return;
  }
  if (IsSpecialFolderPidl(pidl, rsNetWork)) return;
  SetDescendantStates(node, state);
  if (state != csUnchecked && state != csGrayed) return;
  // Up to, not including, the root: a checked ancestor no longer covers
  // everything below it.
  for (TTreeNode* ancestor = node->Parent(); ancestor != nullptr && ancestor->Parent() != nullptr;
       ancestor = ancestor->Parent())
    if (NodeCheckState(ancestor) == csChecked) SetNodeCheckState(ancestor, state);
}

void TShellTree::SetDescendantStates(TTreeNode* node, TCheckState state) {
  if (node->Count() == 0) return;
  const TCheckState childState = state == csGrayed ? csUnchecked : state;
  for (int i = 0; i < node->Count(); ++i) {
    SetNodeCheckState(node->Item(i), childState);
    SetDescendantStates(node->Item(i), childState);
  }
}

void TShellTree::SetDriveStates(TTreeNode* node, TCheckState state) {
  if (node->Count() == 0) return;
  const TCheckState childState = state == csGrayed ? csUnchecked : state;
  for (int i = 0; i < node->Count(); ++i) {
    SetNodeCheckState(node->Item(i), childState);
    SetDescendantStatesInPath(node->Item(i), childState);
  }
}

void TShellTree::SetDescendantStatesInPath(TTreeNode* node, TCheckState state) {
  if (node->Count() == 0 || state == csGrayed) return;
  const std::string path = PidlToPath(NodePidl(node));
  for (int i = 0; i < node->Count(); ++i) {
    TTreeNode* child = node->Item(i);
    const std::string childPath = PidlToPath(NodePidl(child));
    if (childPath.empty() || childPath.find(path) == std::string::npos) continue;
    SetNodeCheckState(child, state);
    SetDescendantStatesInPath(child, state);
  }
}

std::string TShellTree::GetNodePath(int index) {
  TTreeNode* node = Items()->Item(index);
  return node != nullptr ? PidlToPath(NodePidl(node)) : std::string();
}

std::string TShellTree::Path() {
  TTreeNode* node = Selected();
  return node != nullptr ? PidlToPath(NodePidl(node)) : std::string();
}

void TShellTree::GetCheckedPaths(TStrings* list) {
  list->Clear();
  for (TTreeNode* node = Items()->GetFirstNode(); node != nullptr; node = node->GetNext()) {
    if (NodeCheckState(node) != csChecked) continue;
    if (node->Parent() != nullptr && NodeCheckState(node->Parent()) == csChecked) continue;
    std::string line = node->Text();
    for (TTreeNode* ancestor = node->Parent(); ancestor != nullptr; ancestor = ancestor->Parent())
      line = ancestor->Text() + "\\" + line;
    list->Add(line);
  }
}

void TShellTree::SetCheckedPaths(TStrings* list) {
  for (int i = 0; i < list->Count(); ++i) {
    const std::vector<std::string> names = SplitAtBackslash(list->Get(i));
    TTreeNode* scope = nullptr;
    for (size_t k = 0; k < names.size(); ++k) {
      TTreeNode* node = FindChildByText(Items(), scope, names[k]);
      if (node == nullptr) break;
      if (k + 1 == names.size()) {
        SetNodeCheckState(node, csChecked);
        CheckLoadedDescendants(node);
      } else if (node->Count() == 0) {
        node->Expand(false);
      }
      scope = node;
    }
  }
}

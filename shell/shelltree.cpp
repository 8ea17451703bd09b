#include "shell/shelltree.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <span>
#include <vector>

#include "classlib/application.h"
#include "classlib/imagelist.h"
#include "classlib/paths.h"
#include "classlib/screen.h"
#include "classlib/stringlist.h"
#include "classlib/updatescope.h"
#include "shell/fileinfo.h"
#include "shell/folderpresence.h"
#include "shell/shownname.h"
#include "shell/subfolders.h"

// What a node shows of its item, from the shell.
struct TShellNodeInfo {
  bool known = false;  // false: the shell could not say; the node stays blank
  std::string text;
  int image = 0;
  int selectedImage = 0;
  bool hasSubFolders = false;
  bool folder = false;
};

namespace {

// What a node shows, asked of the shell by the item's absolute list.
TShellNodeInfo ReadNodeInfo(PItemIDList pidl) {
  TShellNodeInfo info;
  SHFILEINFOW shell{};
  if (pidl == nullptr ||
      SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &shell, sizeof shell,
                     SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_ATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON) == 0)
    return info;
  info.known = true;
  info.text = ShownName(std::wstring_view(shell.szDisplayName, wcsnlen(shell.szDisplayName, MAX_PATH)));
  info.image = shell.iIcon;
  info.hasSubFolders = (shell.dwAttributes & SFGAO_HASSUBFOLDER) != 0;
  info.folder = (shell.dwAttributes & SFGAO_FOLDER) != 0;
  info.selectedImage = GetPidlIconIndex(pidl, false, true);
  return info;
}

// The icons of a plain folder (a file-system directory no attribute marks as
// customised), the same for every such folder of a listing.
struct TPlainFolderIcons {
  bool known = false;
  int image = 0;
  int selectedImage = 0;
};

bool IsPlainFolder(IShellFolder* folder, LPCITEMIDLIST item) {
  WIN32_FIND_DATAA data{};
  if (FAILED(SHGetDataFromIDListA(folder, item, SHGDFIL_FINDDATA, &data, sizeof data))) return false;
  constexpr DWORD kCustomised = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (data.dwFileAttributes & kCustomised) == 0;
}

// What a child of folder shows, asked of the folder itself: it answers for
// an item of its own at once, where a call by the absolute list may look
// through the whole parent folder each time (Wine's does), which made a
// folder of many subfolders take minutes to open. Only the icons need the
// absolute list, and a plain folder's are asked once per listing.
TShellNodeInfo ReadChildInfo(IShellFolder* folder, LPCITEMIDLIST item, PItemIDList absolute, ULONG attributes,
                             TPlainFolderIcons& plain) {
  STRRET name{};
  wchar_t text[MAX_PATH] = {};
  if (FAILED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &name)) || FAILED(StrRetToBufW(&name, item, text, MAX_PATH)))
    return ReadNodeInfo(absolute);
  TShellNodeInfo info;
  info.known = true;
  info.text = ShownName(std::wstring_view(text, wcsnlen(text, MAX_PATH)));
  info.hasSubFolders = (attributes & SFGAO_HASSUBFOLDER) != 0;
  info.folder = (attributes & SFGAO_FOLDER) != 0;
  const bool plainFolder = info.folder && IsPlainFolder(folder, item);
  if (plainFolder && plain.known) {
    info.image = plain.image;
    info.selectedImage = plain.selectedImage;
    return info;
  }
  info.image = GetPidlIconIndex(absolute, false, false);
  info.selectedImage = GetPidlIconIndex(absolute, false, true);
  if (info.image < 0) return ReadNodeInfo(absolute);
  if (plainFolder) plain = {true, info.image, info.selectedImage};
  return info;
}

// A loaded child: its absolute list and what it shows.
struct TLoadedChild {
  TOwnedPidl pidl;
  TShellNodeInfo info;
};

// The order deep children are shown in: each folder in the shell's order
// goes in front of every sibling before it whose text is greater, byte by
// byte (so upper case comes first); other items stay where they come.
void SortDeepChildren(std::vector<TLoadedChild>& children) {
  auto greater = [](const TLoadedChild& a, const TLoadedChild& b) { return a.info.text > b.info.text; };
  const bool allFolders = std::all_of(children.begin(), children.end(), [](const TLoadedChild& c) {
    return c.info.known && c.info.folder;
  });
  if (allFolders) {
    // Then the list stays in order throughout: a stable sort gives the same.
    std::stable_sort(children.begin(), children.end(),
                     [](const TLoadedChild& a, const TLoadedChild& b) { return a.info.text < b.info.text; });
    return;
  }
  for (size_t i = 1; i < children.size(); ++i) {
    if (!children[i].info.known || !children[i].info.folder) continue;
    size_t at = i;
    while (at > 0 && greater(children[at - 1], children[i])) --at;
    std::rotate(children.begin() + static_cast<std::ptrdiff_t>(at), children.begin() + static_cast<std::ptrdiff_t>(i),
                children.begin() + static_cast<std::ptrdiff_t>(i) + 1);
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
  TUpdateScope<TTreeNodes> update(*Items());
  Items()->Clear();
  TOwnedPidl pidl(GetSpecialFolderPidl(folder));
  TTreeNode* root = Items()->AddObject(nullptr, "", nullptr);
  root->SetData(pidl.Take());
  InitNode(root);
  root->Expand(false);
}

void TShellTree::InitNode(TTreeNode* node) { ShowNodeInfo(node, ReadNodeInfo(NodePidl(node))); }

void TShellTree::ShowNodeInfo(TTreeNode* node, const TShellNodeInfo& info) {
  if (!info.known) return;
  node->SetText(info.text);
  node->SetImageIndex(info.image);
  node->SetHasChildren(info.hasSubFolders);
  node->SetSelectedIndex(info.selectedImage);
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
  TUpdateScope<TTreeNodes> update(*Items());
  PItemIDList parent = NodePidl(node);
  TComPtr<IShellFolder> folder;
  GetShellFolder(parent, true, folder);
  HWND owner = Application != nullptr ? Application->Handle() : nullptr;
  // The whole listing first, then the nodes, in their order, each added once.
  std::vector<TLoadedChild> children;
  TPlainFolderIcons plainIcons;
  const bool listed = EnumerateSubFolders(folder.Get(), owner, [&](LPITEMIDLIST item) {
    TOwnedPidl absolute(ConcatPidls(parent, item));
    if (!absolute) return;
    ULONG attributes = SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
    LPCITEMIDLIST items[] = {item};
    if (FAILED(folder->GetAttributesOf(1, items, &attributes))) attributes = 0;
    if ((attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) == 0) return;
    if (IsSpecialFolderPidl(absolute.Get(), rsNetWork)) return;
    TShellNodeInfo info = ReadChildInfo(folder.Get(), item, absolute.Get(), attributes, plainIcons);
    children.push_back({std::move(absolute), std::move(info)});
  });
  // Deeper than the drives, folders sort by their bytes; the shell's own
  // order stays above.
  if (node->Level() + 1 > 2) SortDeepChildren(children);
  for (TLoadedChild& loaded : children) {
    TTreeNode* child = Items()->AddChildObject(node, loaded.info.text, nullptr);
    child->SetData(loaded.pidl.Take());
    ShowNodeInfo(child, loaded.info);
  }
  return listed;
}

void TShellTree::ToggleState(TTreeNode* node) {
  if (node == nullptr) return;
  // A kept tick below the node follows what the user makes of the node.
  const std::string line = NodeLine(node);
  std::erase_if(unresolved_, [&](const std::string& kept) {
    return kept.compare(0, line.size(), line) == 0 && (kept.size() == line.size() || kept[line.size()] == '\\');
  });
  TCheckTree::ToggleState(node);
  const TCheckState state = NodeCheckState(node);
  TUpdateScope<TTreeNodes> update(*Items());
  if (!SpreadDown(node, state)) return;
  if (state != csUnchecked && state != csGrayed) return;
  // Up to, not including, the root: a checked ancestor no longer covers
  // everything below it.
  for (TTreeNode* ancestor = node->Parent(); ancestor != nullptr && ancestor->Parent() != nullptr;
       ancestor = ancestor->Parent())
    if (NodeCheckState(ancestor) == csChecked) SetNodeCheckState(ancestor, state);
}

bool TShellTree::SpreadDown(TTreeNode* node, TCheckState state) {
  PItemIDList pidl = NodePidl(node);
  if (IsDesktopPidl(pidl)) {
    SetDescendantStatesInPath(node, state);
    return false;
  }
  if (IsSpecialFolderPidl(pidl, rsDrives)) {
    SetDriveStates(node, state);
    return false;
  }
  if (IsSpecialFolderPidl(pidl, rsNetWork)) return false;
  SetDescendantStates(node, state);
  return true;
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

std::string TShellTree::NodeLine(const TTreeNode* node) {
  std::string line = node->Text();
  for (TTreeNode* ancestor = node->Parent(); ancestor != nullptr; ancestor = ancestor->Parent())
    line = ancestor->Text() + "\\" + line;
  return line;
}

void TShellTree::GetCheckedPaths(TStrings* list) {
  list->Clear();
  for (TTreeNode* node = Items()->GetFirstNode(); node != nullptr; node = node->GetNext()) {
    if (NodeCheckState(node) != csChecked) continue;
    if (node->Parent() != nullptr && NodeCheckState(node->Parent()) == csChecked) continue;
    list->Add(NodeLine(node));
  }
  for (const std::string& line : unresolved_) list->Add(line);
}

std::string TShellTree::ListedFolder(TTreeNode* node) {
  // A folder that could not be read keeps its button and has no children.
  // The desktop shows more than its folder holds: drives and places of the
  // shell, which it cannot tell from a folder gone.
  if (node == nullptr || (node->HasChildren() && node->Count() == 0) || IsDesktopPidl(NodePidl(node))) return {};
  return PidlToPath(NodePidl(node));
}

void TShellTree::SetCheckedPaths(TStrings* list) {
  unresolved_.clear();
  for (int i = 0; i < list->Count(); ++i) {
    const std::string line = list->Get(i);
    const std::vector<std::string_view> names = PathParts(line);
    TTreeNode* scope = nullptr;
    for (size_t k = 0; k < names.size(); ++k) {
      TTreeNode* node = FindChildByText(Items(), scope, std::string(names[k]));
      if (node == nullptr) {
        // A drive not connected now (a memory stick, a network drive) is
        // there again another day, and a folder the tree does not show (a
        // hidden one, or one shown by another name now) is still there:
        // their ticks are kept. Only a folder gone from the disk is gone
        // for good.
        if (!FolderGoneFromDisk(ListedFolder(scope), std::span(names).subspan(k))) unresolved_.push_back(line);
        break;
      }
      if (k + 1 == names.size()) {
        // The same ticks a toggle gives, by the kind of node.
        SetNodeCheckState(node, csChecked);
        SpreadDown(node, csChecked);
      } else if (node->Count() == 0) {
        node->Expand(false);
      }
      scope = node;
    }
  }
}

// The checkable tree of shell folders rooted at a special folder (the
// desktop by default). A node's children are loaded when it is first
// expanded; every node holds its absolute item-identifier list (its Data,
// freed with the node). A toggle spreads down to the loaded descendants
// and, for an ordinary folder, clears the check of its checked ancestors.
// The ticks are saved and restored as lines of display names joined by "\".
#pragma once

#include <string>
#include <vector>

#include "shell/checktree.h"
#include "shell/pidls.h"

class TStrings;
struct TShellNodeInfo;

class TShellTree : public TCheckTree {
public:
  explicit TShellTree(TComponent* owner);
  ~TShellTree() override;
  const char* ClassName() const override { return "TShellTree"; }

  TRootSpecial SpecialRoot() const { return specialRoot_; }
  // Rebuilds the tree: the folder as the one top-level node, expanded.
  void SetSpecialRoot(TRootSpecial value);

  // The file-system path of the node at an absolute index; "" for no such
  // node or an item outside the file system.
  std::string GetNodePath(int index);
  // The same for the selected node.
  std::string Path();

  // One line per checked node whose parent is not checked, in tree order:
  // the display names from the root down, joined by "\"; then the lines
  // SetCheckedPaths could not find because their drive (or network root)
  // was not there, unless the user has since toggled a node above them.
  void GetCheckedPaths(TStrings* list);
  // Checks the nodes the lines name, loading folders on the way. Each name
  // is looked for among the children of the node the previous one matched
  // (the first among the top-level nodes); a line stops at the first name
  // not found, and is kept as it is unless the node it was looked for in is
  // a file-system folder other than the desktop that is there and was read
  // (the folder is gone, not its drive). The named node's tick spreads to its
  // loaded descendants as a toggle's would, so a restart gives back the
  // ticks the user made.
  void SetCheckedPaths(TStrings* list);

  void ToggleState(TTreeNode* node) override;
  // Loads the node's sub-folders on its first expansion; false when the
  // folder cannot be read (it keeps its button, to be tried again).
  bool CanExpand(TTreeNode* node) override;
  void Delete(TTreeNode* node) override;

  static PItemIDList NodePidl(const TTreeNode* node) { return static_cast<PItemIDList>(node->Data()); }

private:
  void SetRoot(TRootSpecial folder);
  void InitNode(TTreeNode* node);
  void ShowNodeInfo(TTreeNode* node, const TShellNodeInfo& info);
  bool PopulateNode(TTreeNode* node);
  // The downward spread of a toggle, by the kind of node: the desktop
  // reaches the folders stored in it, My Computer its drives and below them
  // what lies on them, the Network nothing, any other folder everything
  // loaded below it. True for an ordinary folder.
  bool SpreadDown(TTreeNode* node, TCheckState state);
  void SetDescendantStates(TTreeNode* node, TCheckState state);
  void SetDriveStates(TTreeNode* node, TCheckState state);
  void SetDescendantStatesInPath(TTreeNode* node, TCheckState state);

  static std::string NodeLine(const TTreeNode* node);
  // The file-system folder (not the desktop) whose sub-folders node has
  // loaded; "" for none.
  static std::string ListedFolder(TTreeNode* node);

  TImageList* systemImages_ = nullptr;
  TRootSpecial specialRoot_ = rsDesktop;
  std::vector<std::string> unresolved_;  // stored ticks the tree cannot show now
};

// The tree view: the system "SysTreeView32" with its nodes kept as objects.
// The nodes (text, images, state image, data, children, expanded or not)
// live in TTreeNodes, with or without a window; the window shows them and is
// filled again from them whenever it is re-created. The window's
// notifications come back as CN_NOTIFY.
//
// Expansion asks CanExpand both when the user expands a node (the
// expanding notification) and when code calls TTreeNode::Expand, because
// the expand message itself sends no notification a program can rely on.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "classlib/controls.h"

class TCustomTreeView;
class TImageList;
class TTreeNodes;
class TTreeNode;

// Where MoveTo puts a node: after the destination's last sibling, first
// among its siblings, as its last or first child, or just before it.
enum TNodeAttachMode { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };

using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;

class TTreeNode : public TPersistent {
public:
  // Deletes the children (last first), tells the tree (OnDeletion) and
  // leaves the tree. Delete() is the same.
  ~TTreeNode() override;
  void Delete() { delete this; }
  void DeleteChildren();

  TTreeNodes* Owner() const { return owner_; }
  TCustomTreeView* TreeView() const;
  // The window's item; nil while the tree has no window.
  HTREEITEM ItemId() const { return itemId_; }

  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  void* Data() const { return data_; }
  void SetData(void* data) { data_ = data; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  int SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(int value);
  // The state image drawn before the node, an index in the tree's
  // StateImages (1 to 15); -1 draws none.
  int StateIndex() const { return stateIndex_; }
  void SetStateIndex(int value);
  // Whether the node shows an expand button, children loaded or not.
  bool HasChildren() const { return hasChildren_; }
  void SetHasChildren(bool value);

  bool Expanded() const { return expanded_; }
  void SetExpanded(bool value) { value ? Expand(false) : Collapse(false); }
  // Expands the node when the tree's CanExpand allows it (then Expand, the
  // OnExpanded hook, follows); recursive goes on with every child.
  void Expand(bool recursive);
  void Collapse(bool recursive);
  bool Selected() const;
  void SetSelected(bool value);

  TTreeNode* Parent() const { return parent_; }
  // 0 for a top-level node.
  int Level() const;
  int Count() const { return static_cast<int>(children_.size()); }
  TTreeNode* Item(int index) const;
  // The position among its siblings, and in the whole tree (the order of
  // the nodes from the top, children after their parent).
  int Index() const;
  int AbsoluteIndex() const;
  TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front(); }
  TTreeNode* GetLastChild() const { return children_.empty() ? nullptr : children_.back(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // The next node in tree order (first child, else next sibling, else the
  // next sibling of the nearest ancestor that has one).
  TTreeNode* GetNext() const;
  bool HasAsParent(const TTreeNode* ancestor) const;

  // Moves the node and its subtree (see TNodeAttachMode); moving a node
  // below itself is refused with EInvalidOperation.
  void MoveTo(TTreeNode* destination, TNodeAttachMode mode);
  // The node's rectangle in the window's client area (empty without one).
  TRect DisplayRect(bool textOnly) const;

private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  explicit TTreeNode(TTreeNodes* owner) : owner_(owner) {}
  std::vector<TTreeNode*>& Siblings() const;
  // Sends what the window shows of the node (mask: TVIF_ flags).
  void UpdateItem(UINT mask);

  TTreeNodes* owner_;
  TTreeNode* parent_ = nullptr;
  std::vector<TTreeNode*> children_;
  HTREEITEM itemId_ = nullptr;
  std::string text_;
  void* data_ = nullptr;
  int imageIndex_ = 0;
  int selectedIndex_ = 0;
  int stateIndex_ = -1;
  bool hasChildren_ = false;
  bool expanded_ = false;
  bool deleting_ = false;
};

class TTreeNodes : public TPersistent {
public:
  explicit TTreeNodes(TCustomTreeView* owner) : owner_(owner) {}
  ~TTreeNodes() override;

  TCustomTreeView* Owner() const { return owner_; }
  // Every node, in tree order.
  int Count() const;
  // The node at an absolute index; nil outside 0..Count-1.
  TTreeNode* Item(int index) const;
  TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front(); }
  int TopLevelCount() const { return static_cast<int>(roots_.size()); }

  // A new last sibling of sibling (a top-level node when sibling is nil).
  TTreeNode* Add(TTreeNode* sibling, const std::string& text) { return AddObject(sibling, text, nullptr); }
  TTreeNode* AddObject(TTreeNode* sibling, const std::string& text, void* data);
  // A new last child of parent (a top-level node when parent is nil); the
  // parent gets an expand button.
  TTreeNode* AddChild(TTreeNode* parent, const std::string& text) { return AddChildObject(parent, text, nullptr); }
  TTreeNode* AddChildObject(TTreeNode* parent, const std::string& text, void* data);
  void Delete(TTreeNode* node) { delete node; }
  void Clear();

  // Nested; the window is not redrawn until the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();

private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  TTreeNode* Attach(TTreeNode* node, TTreeNode* parent, size_t position);
  void Detach(TTreeNode* node);
  std::vector<TTreeNode*>& ChildList(TTreeNode* parent) { return parent != nullptr ? parent->children_ : roots_; }
  void Changed() { flatValid_ = false; }
  const std::vector<TTreeNode*>& Flat() const;

  TCustomTreeView* owner_;
  std::vector<TTreeNode*> roots_;
  int updateCount_ = 0;
  mutable std::vector<TTreeNode*> flat_;
  mutable bool flatValid_ = false;
};

class TCustomTreeView : public TWinControl {
public:
  explicit TCustomTreeView(TComponent* owner);
  ~TCustomTreeView() override;
  const char* ClassName() const override { return "TTreeView"; }

  TTreeNodes* Items() const { return items_; }
  TTreeNode* Selected();
  void SetSelected(TTreeNode* node);

  TImageList* Images() const { return images_; }
  void SetImages(TImageList* value);
  // The pictures of the nodes' state indexes (image 0 is never drawn).
  TImageList* StateImages() const { return stateImages_; }
  void SetStateImages(TImageList* value);

  bool AutoExpand() const { return autoExpand_; }
  void SetAutoExpand(bool value) { SetStyleFlag(autoExpand_, value); }
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value) { SetStyleFlag(hideSelection_, value); }
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool value) { SetStyleFlag(hotTrack_, value); }
  int Indent() const { return indent_; }
  void SetIndent(int value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { SetStyleFlag(readOnly_, value); }
  // A right click selects the node under the mouse.
  bool RightClickSelect() const { return rightClickSelect_; }
  void SetRightClickSelect(bool value) { rightClickSelect_ = value; }
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool value) { SetStyleFlag(rowSelect_, value); }
  bool ShowButtons() const { return showButtons_; }
  void SetShowButtons(bool value) { SetStyleFlag(showButtons_, value); }
  bool ShowLines() const { return showLines_; }
  void SetShowLines(bool value) { SetStyleFlag(showLines_, value); }
  bool ShowRoot() const { return showRoot_; }
  void SetShowRoot(bool value) { SetStyleFlag(showRoot_, value); }
  bool ToolTips() const { return toolTips_; }
  void SetToolTips(bool value) { SetStyleFlag(toolTips_, value); }

  // The node at a client point, nil where there is none (or no window).
  TTreeNode* GetNodeAt(int x, int y);
  // The TVHT_ flags of a client point (0 without a window).
  UINT GetHitTestInfoAt(int x, int y);
  void FullExpand();
  void FullCollapse();

  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TTVExpandedEvent OnDeletion;
  TNotifyEvent OnDblClick;

  // The expansion query (OnExpanding; true when it is not assigned) and
  // what follows an expansion (OnExpanded); the same pair for collapsing.
  virtual bool CanExpand(TTreeNode* node);
  virtual void Expand(TTreeNode* node);
  virtual bool CanCollapse(TTreeNode* node);
  virtual void Collapse(TTreeNode* node);
  virtual bool CanChange(TTreeNode* node);
  virtual void Change(TTreeNode* node);
  // A node is being deleted (OnDeletion); its data is still there.
  virtual void Delete(TTreeNode* node);
  virtual void DblClick();

  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* component, TOperation operation) override;
  // The tree's own notifications, reflected by its parent.
  virtual void CNNotify(TMessage& message);
  // The node of a window item, nil for none.
  TTreeNode* NodeFromItem(HTREEITEM item);

private:
  friend class TTreeNode;
  friend class TTreeNodes;
  void SetStyleFlag(bool& flag, bool value);
  void SetImageList(TImageList*& field, TImageList* value, WPARAM which);
  void InsertItem(TTreeNode* node);
  void InsertSubtree(TTreeNode* node);
  void ForgetItems(TTreeNode* node);
  void RestoreExpansion(TTreeNode* node);
  bool Notifying() const { return HandleAllocated() && !restoring_ && !HasState(csDestroying); }

  TTreeNodes* items_;
  TTreeNode* selected_ = nullptr;
  TImageList* images_ = nullptr;
  TImageList* stateImages_ = nullptr;
  bool autoExpand_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  bool hideSelection_ = true;
  bool hotTrack_ = false;
  int indent_ = 19;
  bool readOnly_ = false;
  bool rightClickSelect_ = false;
  bool rowSelect_ = false;
  bool showButtons_ = true;
  bool showLines_ = true;
  bool showRoot_ = true;
  bool toolTips_ = true;
  // The window is being filled again or emptied: its notifications are
  // about the class library's own work, not the user's.
  bool restoring_ = false;
  // The node that TTreeNode::Expand or Collapse is changing through the
  // window: its expand notifications were already answered.
  TTreeNode* changingByCall_ = nullptr;
};

class TTreeView : public TCustomTreeView {
public:
  using TCustomTreeView::TCustomTreeView;
};

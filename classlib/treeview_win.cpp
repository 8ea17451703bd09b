#include "classlib/treeview.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "classlib/commoncontrols.h"
#include "classlib/exceptions.h"
#include "classlib/graphics.h"
#include "classlib/imagelist.h"
#include "classlib/list.h"

namespace {

// Sets a flag for a scope and puts its old value back.
template <class T>
class ValueScope {
public:
  ValueScope(T& field, T value) : field_(field), saved_(std::exchange(field, value)) {}
  ~ValueScope() { field_ = saved_; }
  ValueScope(const ValueScope&) = delete;
  ValueScope& operator=(const ValueScope&) = delete;

private:
  T& field_;
  T saved_;
};

UINT StateImageMask(int stateIndex) { return INDEXTOSTATEIMAGEMASK(stateIndex > 0 ? stateIndex : 0); }

}  // namespace

// --- TTreeNode -------------------------------------------------------------------------

TTreeNode::~TTreeNode() {
  deleting_ = true;
  TCustomTreeView* tree = TreeView();
  while (!children_.empty()) delete children_.back();
  tree->Delete(this);
  if (itemId_ != nullptr && tree->HandleAllocated() && !tree->HasState(csDestroying)) {
    ValueScope<bool> quiet(tree->restoring_, true);
    SendMessageA(tree->Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(itemId_));
  }
  owner_->Detach(this);
  if (tree->selected_ == this) tree->selected_ = nullptr;
  if (tree->changingByCall_ == this) tree->changingByCall_ = nullptr;
}

void TTreeNode::DeleteChildren() {
  while (!children_.empty()) delete children_.back();
}

TCustomTreeView* TTreeNode::TreeView() const { return owner_->Owner(); }

std::vector<TTreeNode*>& TTreeNode::Siblings() const { return owner_->ChildList(parent_); }

void TTreeNode::UpdateItem(UINT mask) {
  TCustomTreeView* tree = TreeView();
  if (itemId_ == nullptr || !tree->HandleAllocated()) return;
  TVITEMA item{};
  item.mask = mask | TVIF_HANDLE;
  item.hItem = itemId_;
  item.pszText = const_cast<char*>(text_.c_str());
  item.iImage = imageIndex_;
  item.iSelectedImage = selectedIndex_;
  item.cChildren = hasChildren_ ? 1 : 0;
  item.state = StateImageMask(stateIndex_);
  item.stateMask = TVIS_STATEIMAGEMASK;
  SendMessageA(tree->Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetText(const std::string& text) {
  text_ = text;
  UpdateItem(TVIF_TEXT);
}

void TTreeNode::SetImageIndex(int value) {
  imageIndex_ = value;
  UpdateItem(TVIF_IMAGE);
}

void TTreeNode::SetSelectedIndex(int value) {
  selectedIndex_ = value;
  UpdateItem(TVIF_SELECTEDIMAGE);
}

void TTreeNode::SetStateIndex(int value) {
  stateIndex_ = value < 0 ? -1 : value;
  UpdateItem(TVIF_STATE);
}

void TTreeNode::SetHasChildren(bool value) {
  hasChildren_ = value;
  UpdateItem(TVIF_CHILDREN);
}

void TTreeNode::Expand(bool recursive) {
  TCustomTreeView* tree = TreeView();
  if (!expanded_ && tree->CanExpand(this)) {
    expanded_ = true;
    if (itemId_ != nullptr && tree->HandleAllocated()) {
      ValueScope<TTreeNode*> answered(tree->changingByCall_, this);
      SendMessageA(tree->Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(itemId_));
    }
    tree->Expand(this);
  }
  if (!recursive) return;
  // By index: expanding a child may load its own children, never siblings.
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->Expand(true);
}

void TTreeNode::Collapse(bool recursive) {
  TCustomTreeView* tree = TreeView();
  if (expanded_ && tree->CanCollapse(this)) {
    expanded_ = false;
    if (itemId_ != nullptr && tree->HandleAllocated()) {
      ValueScope<TTreeNode*> answered(tree->changingByCall_, this);
      SendMessageA(tree->Handle(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(itemId_));
    }
    tree->Collapse(this);
  }
  if (!recursive) return;
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->Collapse(true);
}

bool TTreeNode::Selected() const { return TreeView()->Selected() == this; }

void TTreeNode::SetSelected(bool value) {
  TCustomTreeView* tree = TreeView();
  if (value) tree->SetSelected(this);
  else if (Selected()) tree->SetSelected(nullptr);
}

int TTreeNode::Level() const {
  int level = 0;
  for (TTreeNode* p = parent_; p != nullptr; p = p->parent_) ++level;
  return level;
}

TTreeNode* TTreeNode::Item(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  return children_[static_cast<size_t>(index)];
}

int TTreeNode::Index() const {
  const auto& siblings = Siblings();
  return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

int TTreeNode::AbsoluteIndex() const {
  const auto& flat = owner_->Flat();
  return static_cast<int>(std::find(flat.begin(), flat.end(), this) - flat.begin());
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& siblings = Siblings();
  auto it = std::find(siblings.begin(), siblings.end(), this);
  return it != siblings.end() && it + 1 != siblings.end() ? *(it + 1) : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  const auto& siblings = Siblings();
  auto it = std::find(siblings.begin(), siblings.end(), this);
  return it != siblings.end() && it != siblings.begin() ? *(it - 1) : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
  if (!children_.empty()) return children_.front();
  for (const TTreeNode* n = this; n != nullptr; n = n->parent_)
    if (TTreeNode* next = n->GetNextSibling()) return next;
  return nullptr;
}

bool TTreeNode::HasAsParent(const TTreeNode* ancestor) const {
  for (const TTreeNode* p = parent_; p != nullptr; p = p->parent_)
    if (p == ancestor) return true;
  return false;
}

void TTreeNode::MoveTo(TTreeNode* destination, TNodeAttachMode mode) {
  if (destination == this) return;
  if (destination != nullptr && destination->HasAsParent(this))
    throw EInvalidOperation("A tree node cannot be moved below itself");
  const bool childMode = mode == naAddChild || mode == naAddChildFirst;
  TTreeNode* newParent = childMode ? destination : (destination != nullptr ? destination->parent_ : nullptr);
  TCustomTreeView* tree = TreeView();
  const bool inWindow = itemId_ != nullptr && tree->HandleAllocated();
  const bool wasSelected = inWindow ? Selected() : tree->selected_ == this;
  if (inWindow) {
    ValueScope<bool> quiet(tree->restoring_, true);
    SendMessageA(tree->Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(itemId_));
    tree->ForgetItems(this);
  }
  owner_->Detach(this);
  auto& list = owner_->ChildList(newParent);
  size_t position = list.size();
  if (mode == naAddFirst || mode == naAddChildFirst) position = 0;
  if (mode == naInsert && destination != nullptr)
    position = static_cast<size_t>(std::find(list.begin(), list.end(), destination) - list.begin());
  owner_->Attach(this, newParent, position);
  if (newParent != nullptr && !newParent->hasChildren_) newParent->SetHasChildren(true);
  if (inWindow && wasSelected) tree->SetSelected(this);
}

TRect TTreeNode::DisplayRect(bool textOnly) const {
  TCustomTreeView* tree = TreeView();
  if (itemId_ == nullptr || !tree->HandleAllocated()) return TRect{};
  // The message takes the item in the rectangle's place.
  RECT r{};
  HTREEITEM item = itemId_;
  std::memcpy(&r, &item, sizeof item);
  if (!SendMessageA(tree->Handle(), TVM_GETITEMRECT, textOnly ? 1 : 0, reinterpret_cast<LPARAM>(&r))) return TRect{};
  return Rect(r.left, r.top, r.right, r.bottom);
}

// --- TTreeNodes ------------------------------------------------------------------------

TTreeNodes::~TTreeNodes() { Clear(); }

int TTreeNodes::Count() const { return static_cast<int>(Flat().size()); }

TTreeNode* TTreeNodes::Item(int index) const {
  const auto& flat = Flat();
  if (index < 0 || static_cast<size_t>(index) >= flat.size()) return nullptr;
  return flat[static_cast<size_t>(index)];
}

const std::vector<TTreeNode*>& TTreeNodes::Flat() const {
  if (flatValid_) return flat_;
  flat_.clear();
  for (TTreeNode* n = GetFirstNode(); n != nullptr; n = n->GetNext()) flat_.push_back(n);
  flatValid_ = true;
  return flat_;
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const std::string& text, void* data) {
  return AddChildObject(sibling != nullptr ? sibling->Parent() : nullptr, text, data);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const std::string& text, void* data) {
  auto* node = new TTreeNode(this);
  node->text_ = text;
  node->data_ = data;
  Attach(node, parent, ChildList(parent).size());
  if (parent != nullptr && !parent->hasChildren_) parent->SetHasChildren(true);
  return node;
}

TTreeNode* TTreeNodes::Attach(TTreeNode* node, TTreeNode* parent, size_t position) {
  auto& list = ChildList(parent);
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(std::min(position, list.size())), node);
  node->parent_ = parent;
  Changed();
  TCustomTreeView* tree = owner_;
  if (!tree->HandleAllocated() || (parent != nullptr && parent->itemId_ == nullptr)) return node;
  try {
    ValueScope<bool> quiet(tree->restoring_, true);
    tree->InsertSubtree(node);
    tree->RestoreExpansion(node);
  } catch (...) {
    delete node;
    throw;
  }
  return node;
}

void TTreeNodes::Detach(TTreeNode* node) {
  auto& list = ChildList(node->parent_);
  list.erase(std::remove(list.begin(), list.end(), node), list.end());
  Changed();
}

void TTreeNodes::Clear() {
  TCustomTreeView* tree = owner_;
  if (!roots_.empty() && tree->HandleAllocated() && !tree->HasState(csDestroying)) {
    // One message empties the window; the nodes then go without their items.
    ValueScope<bool> quiet(tree->restoring_, true);
    SendMessageA(tree->Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    for (TTreeNode* root : roots_) tree->ForgetItems(root);
  }
  while (!roots_.empty()) delete roots_.back();
}

void TTreeNodes::BeginUpdate() {
  if (updateCount_++ == 0 && owner_->HandleAllocated()) SendMessageA(owner_->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0 && owner_->HandleAllocated()) {
    SendMessageA(owner_->Handle(), WM_SETREDRAW, TRUE, 0);
    owner_->Invalidate();
  }
}

// --- TCustomTreeView -------------------------------------------------------------------

TCustomTreeView::TCustomTreeView(TComponent* owner) : TWinControl(owner), items_(new TTreeNodes(this)) {
  width_ = 121;
  height_ = 97;
  SetTabStop(true);
}

TCustomTreeView::~TCustomTreeView() {
  Destroying();
  // The window goes first, so none of its notifications reach the nodes
  // while they are being freed.
  if (HandleAllocated()) DestroyHandle();
  for (TTreeNode* n = items_->GetFirstNode(); n != nullptr; n = n->GetNextSibling()) ForgetItems(n);
  delete items_;
}

void TCustomTreeView::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  InitCommonControlClasses(ICC_TREEVIEW_CLASSES);
  CreateSubClass(params, WC_TREEVIEWA);
  if (showLines_) params.Style |= TVS_HASLINES;
  if (showRoot_) params.Style |= TVS_LINESATROOT;
  if (showButtons_) params.Style |= TVS_HASBUTTONS;
  if (!readOnly_) params.Style |= TVS_EDITLABELS;
  if (!hideSelection_) params.Style |= TVS_SHOWSELALWAYS;
  if (hotTrack_) params.Style |= TVS_TRACKSELECT;
  if (rowSelect_) params.Style |= TVS_FULLROWSELECT;
  if (!toolTips_) params.Style |= TVS_NOTOOLTIPS;
  if (autoExpand_) params.Style |= TVS_SINGLEEXPAND;
  if (borderStyle_ == bsSingle) params.ExStyle |= WS_EX_CLIENTEDGE;
  params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomTreeView::CreateWnd() {
  TWinControl::CreateWnd();
  ValueScope<bool> quiet(restoring_, true);
  HWND window = Handle();
  SendMessageA(window, TVM_SETINDENT, static_cast<WPARAM>(indent_), 0);
  if (images_ != nullptr)
    SendMessageA(window, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_->Handle()));
  if (stateImages_ != nullptr)
    SendMessageA(window, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(stateImages_->Handle()));
  for (TTreeNode* n = items_->GetFirstNode(); n != nullptr; n = n->GetNextSibling()) InsertSubtree(n);
  for (TTreeNode* n = items_->GetFirstNode(); n != nullptr; n = n->GetNextSibling()) RestoreExpansion(n);
  if (selected_ != nullptr && selected_->itemId_ != nullptr)
    SendMessageA(window, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(selected_->itemId_));
}

void TCustomTreeView::DestroyWnd() {
  selected_ = Selected();
  {
    ValueScope<bool> quiet(restoring_, true);
    TWinControl::DestroyWnd();
  }
  for (TTreeNode* n = items_->GetFirstNode(); n != nullptr; n = n->GetNextSibling()) ForgetItems(n);
}

void TCustomTreeView::InsertItem(TTreeNode* node) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = node->parent_ != nullptr ? node->parent_->itemId_ : TVI_ROOT;
  TTreeNode* previous = node->GetPrevSibling();
  insert.hInsertAfter = previous != nullptr && previous->itemId_ != nullptr ? previous->itemId_ : TVI_FIRST;
  TVITEMA& item = insert.item;
  item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE | TVIF_CHILDREN;
  item.pszText = const_cast<char*>(node->text_.c_str());
  item.iImage = node->imageIndex_;
  item.iSelectedImage = node->selectedIndex_;
  item.lParam = reinterpret_cast<LPARAM>(node);
  item.state = StateImageMask(node->stateIndex_);
  item.stateMask = TVIS_STATEIMAGEMASK;
  item.cChildren = node->hasChildren_ ? 1 : 0;
  node->itemId_ = reinterpret_cast<HTREEITEM>(
      SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  if (node->itemId_ == nullptr) throw EOutOfResources("Unable to insert a tree item");
}

void TCustomTreeView::InsertSubtree(TTreeNode* node) {
  InsertItem(node);
  for (TTreeNode* child : node->children_) InsertSubtree(child);
}

void TCustomTreeView::ForgetItems(TTreeNode* node) {
  node->itemId_ = nullptr;
  for (TTreeNode* child : node->children_) ForgetItems(child);
}

void TCustomTreeView::RestoreExpansion(TTreeNode* node) {
  for (TTreeNode* child : node->children_) RestoreExpansion(child);
  if (node->expanded_ && node->itemId_ != nullptr)
    SendMessageA(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node->itemId_));
}

TTreeNode* TCustomTreeView::NodeFromItem(HTREEITEM item) {
  if (item == nullptr || !HandleAllocated()) return nullptr;
  TVITEMA query{};
  query.mask = TVIF_HANDLE | TVIF_PARAM;
  query.hItem = item;
  if (!SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query))) return nullptr;
  return reinterpret_cast<TTreeNode*>(query.lParam);
}

TTreeNode* TCustomTreeView::Selected() {
  if (!HandleAllocated()) return selected_;
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(Handle(), TVM_GETNEXTITEM, TVGN_CARET, 0));
  return NodeFromItem(item);
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
  selected_ = node;
  if (!HandleAllocated()) return;
  HTREEITEM item = node != nullptr ? node->itemId_ : nullptr;
  SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

void TCustomTreeView::SetImageList(TImageList*& field, TImageList* value, WPARAM which) {
  field = value;
  if (value != nullptr) value->FreeNotification(this);
  if (HandleAllocated())
    SendMessageA(Handle(), TVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(value != nullptr ? value->Handle() : nullptr));
}

void TCustomTreeView::SetImages(TImageList* value) { SetImageList(images_, value, TVSIL_NORMAL); }
void TCustomTreeView::SetStateImages(TImageList* value) { SetImageList(stateImages_, value, TVSIL_STATE); }

void TCustomTreeView::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == images_) SetImages(nullptr);
  if (component == stateImages_) SetStateImages(nullptr);
}

void TCustomTreeView::SetStyleFlag(bool& flag, bool value) {
  if (flag == value) return;
  flag = value;
  RecreateWnd();
}

void TCustomTreeView::SetBorderStyle(TBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RecreateWnd();
}

void TCustomTreeView::SetIndent(int value) {
  indent_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), TVM_SETINDENT, static_cast<WPARAM>(value), 0);
}

UINT TCustomTreeView::GetHitTestInfoAt(int x, int y) {
  if (!HandleAllocated()) return 0;
  TVHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  SendMessageA(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  return hit.flags;
}

TTreeNode* TCustomTreeView::GetNodeAt(int x, int y) {
  if (!HandleAllocated()) return nullptr;
  TVHITTESTINFO hit{};
  hit.pt = POINT{x, y};
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return NodeFromItem(item);
}

void TCustomTreeView::FullExpand() {
  for (TTreeNode* n = items_->GetFirstNode(); n != nullptr; n = n->GetNextSibling()) n->Expand(true);
}

void TCustomTreeView::FullCollapse() {
  for (TTreeNode* n = items_->GetFirstNode(); n != nullptr; n = n->GetNextSibling()) n->Collapse(true);
}

bool TCustomTreeView::CanExpand(TTreeNode* node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, node, allow);
  return allow;
}

void TCustomTreeView::Expand(TTreeNode* node) {
  if (OnExpanded) OnExpanded(this, node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, node, allow);
  return allow;
}

void TCustomTreeView::Collapse(TTreeNode* node) {
  if (OnCollapsed) OnCollapsed(this, node);
}

bool TCustomTreeView::CanChange(TTreeNode* node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, node, allow);
  return allow;
}

void TCustomTreeView::Change(TTreeNode* node) {
  if (OnChange) OnChange(this, node);
}

void TCustomTreeView::Delete(TTreeNode* node) {
  if (OnDeletion) OnDeletion(this, node);
}

void TCustomTreeView::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TCustomTreeView::CNNotify(TMessage& message) {
  NMHDR* header = TWMNotify(message).NMHdr;
  message.Result = 0;
  if (header == nullptr || !Notifying()) return;
  // The 8-bit and wide forms of these records differ only in text
  // pointers, which are not read here.
  const auto* tv = reinterpret_cast<const NMTREEVIEWA*>(header);
  switch (header->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
      TTreeNode* node = NodeFromItem(tv->itemNew.hItem);
      if (node == nullptr || node == changingByCall_) return;
      const UINT action = tv->action & (TVE_EXPAND | TVE_COLLAPSE);
      if (action == TVE_EXPAND && !CanExpand(node)) message.Result = 1;
      if (action == TVE_COLLAPSE && !CanCollapse(node)) message.Result = 1;
      return;
    }
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW: {
      TTreeNode* node = NodeFromItem(tv->itemNew.hItem);
      if (node == nullptr || node == changingByCall_) return;
      const UINT action = tv->action & (TVE_EXPAND | TVE_COLLAPSE);
      if (action == TVE_EXPAND) {
        node->expanded_ = true;
        Expand(node);
      } else if (action == TVE_COLLAPSE) {
        node->expanded_ = false;
        Collapse(node);
      }
      return;
    }
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW:
      if (!CanChange(NodeFromItem(tv->itemNew.hItem))) message.Result = 1;
      return;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      selected_ = NodeFromItem(tv->itemNew.hItem);
      Change(selected_);
      return;
    case TVN_ENDLABELEDITA: {
      const auto* edit = reinterpret_cast<const NMTVDISPINFOA*>(header);
      TTreeNode* node = NodeFromItem(edit->item.hItem);
      if (node == nullptr || edit->item.pszText == nullptr) return;
      node->text_ = edit->item.pszText;
      message.Result = 1;
      return;
    }
    case NM_CLICK:
      Click();
      return;
    case NM_DBLCLK:
      DblClick();
      return;
    case NM_RCLICK: {
      if (!rightClickSelect_) return;
      DWORD pos = GetMessagePos();
      POINT p{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
      ::ScreenToClient(Handle(), &p);
      if (TTreeNode* node = GetNodeAt(p.x, p.y)) SetSelected(node);
      return;
    }
    default:
      return;
  }
}

void TCustomTreeView::Dispatch(TMessage& message) {
  if (message.Msg == CN_NOTIFY) {
    CNNotify(message);
    return;
  }
  TWinControl::Dispatch(message);
}

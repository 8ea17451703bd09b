#include "shell/checktree.h"

#include <memory>

#include "classlib/bitmap.h"
#include "classlib/imagelist.h"
#include "classlib/messages.h"

const char kCheckStatesBitmap[] = "CheckStatesBitmap";

TCheckTree::TCheckTree(TComponent* owner) : TCustomTreeView(owner) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromResourceName(nullptr, kCheckStatesBitmap);
  checkBitmap_ = bitmap.release();
  checkBitmap_->OnChange = [this](TObject* sender) { CheckBitmapChanged(sender); };
  // Filled only when the bitmap changes or is given: a form hands the tree
  // its own check images when it is loaded.
  stateImageList_ = new TImageList(this);
  stateImageList_->SetMasked(false);
  stateImageList_->SetHeight(checkBitmap_->Height());
  SetStateImages(stateImageList_);
  SetThreeState(false);
  SetCheckBoxes(true);
  SetTabStop(true);
}

TCheckTree::~TCheckTree() {
  delete checkBitmap_;
  checkBitmap_ = nullptr;
  delete stateImageList_;
  stateImageList_ = nullptr;
}

void TCheckTree::CheckBitmapChanged(TObject*) {
  if (stateImageList_ == nullptr) return;
  stateImageList_->Clear();
  stateImageList_->Add(checkBitmap_, nullptr);
  Invalidate();
}

void TCheckTree::SetCheckBitmap(TBitmap* value) {
  if (value != nullptr) checkBitmap_->Assign(value);
  else checkBitmap_->LoadFromResourceName(nullptr, kCheckStatesBitmap);
  CheckBitmapChanged(checkBitmap_);
}

void TCheckTree::SetCheckBoxes(bool value) {
  checkBoxes_ = value;
  SetStateImages(value ? stateImageList_ : nullptr);
}

TCheckState TCheckTree::NodeCheckState(const TTreeNode* node) {
  if (node == nullptr) return csNone;
  int index = node->StateIndex();
  if (index < csUnchecked || index > csGrayed) return csNone;
  return static_cast<TCheckState>(index);
}

void TCheckTree::SetNodeCheckState(TTreeNode* node, TCheckState state) {
  if (node != nullptr) node->SetStateIndex(state == csNone ? -1 : static_cast<int>(state));
}

TCheckState TCheckTree::GetCheckState(int index) { return NodeCheckState(Items()->Item(index)); }

void TCheckTree::SetCheckState(int index, TCheckState state) { SetNodeCheckState(Items()->Item(index), state); }

void TCheckTree::ToggleState(TTreeNode* node) {
  if (node == nullptr) return;
  TCheckState next = csUnchecked;
  switch (NodeCheckState(node)) {
    case csUnchecked:
      next = csChecked;
      break;
    case csChecked:
      next = threeState_ ? csGrayed : csUnchecked;
      break;
    case csGrayed:
    case csNone:
      next = csUnchecked;
      break;
  }
  SetNodeCheckState(node, next);
  if (OnStateClick) OnStateClick(next);
}

void TCheckTree::CNNotify(TMessage& message) {
  const NMHDR* header = TWMNotify(message).NMHdr;
  if (header != nullptr && (header->code == static_cast<UINT>(NM_CLICK) || header->code == static_cast<UINT>(NM_DBLCLK))) {
    POINT p{};
    if (pressedAt_) {
      p = *pressedAt_;
    } else {
      const DWORD position = GetMessagePos();
      p = POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
      ::ScreenToClient(Handle(), &p);
    }
    TTreeNode* node = GetNodeAt(p.x, p.y);
    if (node != nullptr && (GetHitTestInfoAt(p.x, p.y) & TVHT_ONITEMSTATEICON) != 0) {
      ToggleState(node);
      // Handled: the window does not expand or collapse on this double-click.
      message.Result = 1;
      return;
    }
  }
  TCustomTreeView::CNNotify(message);
}

void TCheckTree::Dispatch(TMessage& message) {
  if (message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK) {
    // The window tells of the click (NM_CLICK, NM_DBLCLK) while it handles
    // the press, so the box is looked for where the button went down: the
    // system's pointer may be elsewhere by then, and a press that came by
    // PostMessage carries only its own point.
    const TWMMouse mouse(message);
    struct PressScope {
      std::optional<POINT>& at;
      std::optional<POINT> outer;
      PressScope(std::optional<POINT>& a, POINT p) : at(a), outer(a) { at = p; }
      ~PressScope() { at = outer; }
      PressScope(const PressScope&) = delete;
      PressScope& operator=(const PressScope&) = delete;
    } scope(pressedAt_, POINT{mouse.X, mouse.Y});
    TCustomTreeView::Dispatch(message);
    return;
  }
  if (message.Msg != WM_CHAR) {
    TCustomTreeView::Dispatch(message);
    return;
  }
  // The whole character code: a character whose low byte only happens to
  // be 32 is no space. Characters are never handed on, so typing does not
  // move the selection.
  if (message.WParam == VK_SPACE) {
    if (TTreeNode* node = Selected()) ToggleState(node);
  }
  message.Result = 0;
}

// How a windowed control lays out its children: aligned ones side by side
// in creation order, then anchored ones by the rule they keep.
#include <vector>

#include "classlib/controls.h"

void TControl::SetAlign(TAlign value) {
  if (value == align_) return;
  align_ = value;
  if (parent_ == nullptr) return;
  if (value == alNone) {
    // Its place as aligned last becomes the place its anchors keep, and the
    // others close the gap it leaves.
    UpdateAnchorRules();
    parent_->Realign();
    return;
  }
  RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
  if (value == anchors_) return;
  anchors_ = value;
  UpdateAnchorRules();
}

void TControl::RequestAlign() {
  if (parent_ == nullptr || parent_->aligning_ || align_ == alNone) return;
  parent_->Realign();
}

void TControl::UpdateAnchorRules() {
  if (parent_ == nullptr || parent_->aligning_) return;
  TRect client = parent_->ClientRect();
  if (client.Width() <= 0 && client.Height() <= 0) {
    // A parent without a size yet: the first size it gets is the one the
    // control was placed in.
    anchorPending_ = true;
    return;
  }
  anchorOrigin_ = BoundsRect();
  anchorParentWidth_ = client.Width();
  anchorParentHeight_ = client.Height();
  anchorPending_ = false;
}

void TControl::ApplyAnchors(int parentWidth, int parentHeight) {
  if (anchorPending_) {
    if (parentWidth <= 0 && parentHeight <= 0) return;
    anchorOrigin_ = BoundsRect();
    anchorParentWidth_ = parentWidth;
    anchorParentHeight_ = parentHeight;
    anchorPending_ = false;
    return;
  }
  if (anchors_ == kDefaultAnchors) return;
  TRect place = AnchoredPlace(anchors_, anchorOrigin_, anchorParentWidth_, anchorParentHeight_, parentWidth,
                              parentHeight);
  if (place == BoundsRect()) return;
  SetBounds(place.Left, place.Top, place.Width(), place.Height());
}

void TControl::ConstraintsChanged(TObject*) { SetBounds(left_, top_, width_, height_); }

void TWinControl::EnableAlign() {
  if (alignDisabled_ == 0) return;
  if (--alignDisabled_ == 0 && alignPending_) Realign();
}

void TWinControl::Realign() {
  if (alignDisabled_ > 0) {
    alignPending_ = true;
    return;
  }
  if (aligning_) return;
  alignPending_ = false;
  aligning_ = true;
  try {
    TRect rect = ClientRect();
    AdjustClientRect(rect);
    AlignControls(rect);
  } catch (...) {
    aligning_ = false;
    throw;
  }
  aligning_ = false;
}

void TWinControl::AlignControls(TRect& rect) {
  // A child may hide itself or change its siblings while it is placed.
  const std::vector<TControl*> children = controls_;
  for (TControl* child : children)
    if (child->visible_) child->ParentAligning(rect);
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* child : children) {
      if (!child->visible_ || child->align_ != align) continue;
      TRect place = TakeAlignedPlace(align, rect, child->width_, child->height_);
      if (place != child->BoundsRect()) child->SetBounds(place.Left, place.Top, place.Width(), place.Height());
    }
  }
  TRect client = ClientRect();
  for (TControl* child : children)
    if (child->align_ == alNone) child->ApplyAnchors(client.Width(), client.Height());
}

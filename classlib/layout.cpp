#include "classlib/layout.h"

#include <algorithm>

namespace {

int Clamp(int size, int minimum, int maximum) {
  if (maximum > 0 && size > maximum) size = maximum;
  if (minimum > 0 && size < minimum) size = minimum;
  return size;
}

// One axis of an anchored control: its start and length for a parent
// whose length grew by delta (negative when it shrank).
void PlaceOnAxis(bool nearSide, bool farSide, int start, int length, int delta, int& newStart, int& newLength) {
  newStart = start;
  newLength = length;
  if (nearSide && farSide) {
    newLength = std::max(0, length + delta);
  } else if (farSide) {
    newStart = start + delta;
  } else if (!nearSide) {
    newStart = start + delta / 2;
  }
}

}  // namespace

int TSizeConstraints::ConstrainWidth(int width) const { return Clamp(width, minWidth_, maxWidth_); }

int TSizeConstraints::ConstrainHeight(int height) const { return Clamp(height, minHeight_, maxHeight_); }

void TSizeConstraints::Set(int& field, int value) {
  value = std::max(0, value);
  if (field == value) return;
  field = value;
  if (OnChange) OnChange(this);
}

void TSizeConstraints::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TSizeConstraints*>(source);
  if (other == nullptr) return TPersistent::Assign(source);
  minWidth_ = other->minWidth_;
  minHeight_ = other->minHeight_;
  maxWidth_ = other->maxWidth_;
  maxHeight_ = other->maxHeight_;
  if (OnChange) OnChange(this);
}

TRect TakeAlignedPlace(TAlign align, TRect& free, int width, int height) {
  // A control keeps its own size even when the free area is too small for
  // it (so a window shrunk and grown again gets its panes back as they
  // were); only the span across the side is clamped, never below nothing.
  width = std::max(0, width);
  height = std::max(0, height);
  const int spanWidth = std::max(0, free.Width());
  const int spanHeight = std::max(0, free.Height());
  TRect place;
  switch (align) {
    case alTop:
      place = Rect(free.Left, free.Top, free.Left + spanWidth, free.Top + height);
      free.Top += height;
      break;
    case alBottom:
      place = Rect(free.Left, free.Bottom - height, free.Left + spanWidth, free.Bottom);
      free.Bottom -= height;
      break;
    case alLeft:
      place = Rect(free.Left, free.Top, free.Left + width, free.Top + spanHeight);
      free.Left += width;
      break;
    case alRight:
      place = Rect(free.Right - width, free.Top, free.Right, free.Top + spanHeight);
      free.Right -= width;
      break;
    case alClient:
      // Every client control gets all that is left (they lie on top of one
      // another, as a pane showing one of several views does).
      place = Rect(free.Left, free.Top, free.Left + spanWidth, free.Top + spanHeight);
      break;
    case alNone:
      place = Rect(free.Left, free.Top, free.Left + width, free.Top + height);
      break;
  }
  return place;
}

TRect AnchoredPlace(TAnchors anchors, const TRect& origin, int originParentWidth, int originParentHeight,
                    int parentWidth, int parentHeight) {
  int left = 0, width = 0, top = 0, height = 0;
  PlaceOnAxis(anchors & akLeft, anchors & akRight, origin.Left, origin.Width(), parentWidth - originParentWidth,
              left, width);
  PlaceOnAxis(anchors & akTop, anchors & akBottom, origin.Top, origin.Height(), parentHeight - originParentHeight,
              top, height);
  return Rect(left, top, left + width, top + height);
}

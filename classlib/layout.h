// Where a parent puts its children: aligned controls take strips off the
// free part of the client area, anchored controls keep their distances to
// the edges they are anchored to, and size constraints clamp both. Pure
// arithmetic on rectangles, so it builds natively too.
#pragma once

#include <cstdint>

#include "classlib/graphics.h"
#include "classlib/object.h"

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TAnchorKind : uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = uint8_t;
constexpr TAnchors kDefaultAnchors = akLeft | akTop;

// Minimum and maximum width and height of a control; 0 means no limit.
class TSizeConstraints : public TPersistent {
public:
  int MinWidth() const { return minWidth_; }
  int MinHeight() const { return minHeight_; }
  int MaxWidth() const { return maxWidth_; }
  int MaxHeight() const { return maxHeight_; }
  void SetMinWidth(int value) { Set(minWidth_, value); }
  void SetMinHeight(int value) { Set(minHeight_, value); }
  void SetMaxWidth(int value) { Set(maxWidth_, value); }
  void SetMaxHeight(int value) { Set(maxHeight_, value); }

  int ConstrainWidth(int width) const;
  int ConstrainHeight(int height) const;
  void Assign(TPersistent* source) override;

  TNotifyEvent OnChange;

private:
  void Set(int& field, int value);

  int minWidth_ = 0;
  int minHeight_ = 0;
  int maxWidth_ = 0;
  int maxHeight_ = 0;
};

// The place of a control of size (width, height) aligned to a side of the
// free rectangle, which loses the strip the control takes. alClient gets
// all that is left and leaves it for the next alClient control too; alNone
// takes nothing and keeps the control's size.
TRect TakeAlignedPlace(TAlign align, TRect& free, int width, int height);

// Where an anchored control goes when its parent's client size changes from
// originParent to parent. origin is where the control was placed, in the
// parent as it was then. Anchored to both sides of an axis it stretches;
// to the far side only it moves with that edge; to neither it keeps its
// place relative to the middle.
TRect AnchoredPlace(TAnchors anchors, const TRect& origin, int originParentWidth, int originParentHeight,
                    int parentWidth, int parentHeight);

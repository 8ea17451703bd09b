// The splitter: a thin bar aligned like the control it resizes. Dragging it
// with the left button resizes the neighbour on its side (for a left
// splitter the left-aligned control whose right edge touches it, for a
// bottom splitter the bottom-aligned control below it), never below
// MinSize, nor so far that the free part of the parent would get smaller
// than MinSize. The same limits hold whenever the parent lays out its
// children: a size set from outside (a stored one) or a parent made
// smaller never hides the free part; the neighbour gets back the size it
// was given once there is room for it again, unless no window the user can
// make would have that room.
#pragma once

#include "classlib/controls.h"

class TSplitter : public TCustomControl {
public:
  explicit TSplitter(TComponent* owner);
  const char* ClassName() const override { return "TSplitter"; }

  int MinSize() const { return minSize_; }
  void SetMinSize(int value) { minSize_ = value < 1 ? 1 : value; }
  // The control the splitter resizes: the visible control of the same
  // alignment that its parent places just before it, so beside it.
  TControl* FindNeighbour() const;
  void Dispatch(TMessage& message) override;

protected:
  void Paint() override;
  void ParentAligning(const TRect& room) override;

private:
  bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
  int SizeOf(const TControl* control) const { return Horizontal() ? control->Width() : control->Height(); }
  // A point of a mouse message, in the parent's client co-ordinates.
  POINT ParentPoint(const TMessage& message);
  // The most neighbour may take of room: what the other controls aligned
  // on its axis leave, less MinSize for the free part.
  int MaxNeighbourSize(const TControl* neighbour, const TRect& room) const;
  // How much room could grow on the splitter's axis in the largest window
  // the user can make.
  int RoomToGrow(const TRect& room) const;
  void DragTo(POINT p);

  int minSize_ = 30;
  TControl* neighbour_ = nullptr;
  POINT downPoint_{0, 0};
  int downSize_ = 0;
  // The size the neighbour was last given (by a drag or from outside), and
  // the size the limits last left it.
  int wantedSize_ = -1;
  int shownSize_ = -1;
  TRect room_{};  // where the parent last laid out its children
};

// The splitter: a thin bar aligned like the control it resizes. Dragging it
// with the left button resizes the neighbour on its side (for a left
// splitter the left-aligned control whose right edge touches it, for a
// bottom splitter the bottom-aligned control below it), never below
// MinSize, nor so far that the free part of the parent would get smaller
// than MinSize.
#pragma once

#include "classlib/controls.h"

class TSplitter : public TCustomControl {
public:
  explicit TSplitter(TComponent* owner);
  const char* ClassName() const override { return "TSplitter"; }

  int MinSize() const { return minSize_; }
  void SetMinSize(int value) { minSize_ = value < 1 ? 1 : value; }
  // The control the splitter resizes, found beside it in the parent.
  TControl* FindNeighbour() const;
  void Dispatch(TMessage& message) override;

protected:
  void Paint() override;

private:
  bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
  // A point of a mouse message, in the parent's client co-ordinates.
  POINT ParentPoint(const TMessage& message);
  int MaxNeighbourSize() const;
  void DragTo(POINT p);

  int minSize_ = 30;
  TControl* neighbour_ = nullptr;
  POINT downPoint_{0, 0};
  int downSize_ = 0;
};

#include "classlib/splitter.h"

#include <algorithm>

#include "classlib/canvas.h"

TSplitter::TSplitter(TComponent* owner) : TCustomControl(owner) {
  SetParentColor(true);
  SetAlign(alLeft);
  width_ = 3;
  height_ = 100;
}

TControl* TSplitter::FindNeighbour() const {
  TWinControl* parent = Parent();
  if (parent == nullptr) return nullptr;
  POINT p{left_, top_};
  switch (Align()) {
    case alLeft:
      --p.x;
      break;
    case alRight:
      p.x += width_;
      break;
    case alTop:
      --p.y;
      break;
    case alBottom:
      p.y += height_;
      break;
    default:
      return nullptr;
  }
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this || !c->Visible() || c->Align() != Align()) continue;
    TRect r = c->BoundsRect();
    // A control squeezed to nothing still touches the splitter.
    const bool before = Align() == alLeft || Align() == alTop;
    if (r.Width() == 0) before ? --r.Left : ++r.Right;
    if (r.Height() == 0) before ? --r.Top : ++r.Bottom;
    if (p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom) return c;
  }
  return nullptr;
}

int TSplitter::MaxNeighbourSize() const {
  // The neighbour may take the room the other aligned controls of its axis
  // leave, less MinSize for the free part.
  TWinControl* parent = Parent();
  TRect client = parent->ClientRect();
  int room = Horizontal() ? client.Width() : client.Height();
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == neighbour_ || !c->Visible()) continue;
    if (Horizontal() && (c->Align() == alLeft || c->Align() == alRight)) room -= c->Width();
    if (!Horizontal() && (c->Align() == alTop || c->Align() == alBottom)) room -= c->Height();
  }
  return room - minSize_;
}

POINT TSplitter::ParentPoint(const TMessage& message) {
  TWMMouse mouse(message);
  POINT p{mouse.X, mouse.Y};
  // Mapped by the system, so a mirrored parent gives its own co-ordinates.
  MapWindowPoints(Handle(), Parent()->Handle(), &p, 1);
  return p;
}

void TSplitter::DragTo(POINT p) {
  int delta = Horizontal() ? p.x - downPoint_.x : p.y - downPoint_.y;
  if (Align() == alRight || Align() == alBottom) delta = -delta;
  int size = std::max(minSize_, std::min(downSize_ + delta, MaxNeighbourSize()));
  if (Horizontal()) neighbour_->SetWidth(size);
  else neighbour_->SetHeight(size);
}

void TSplitter::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
      neighbour_ = FindNeighbour();
      if (neighbour_ == nullptr) return;
      downPoint_ = ParentPoint(message);
      downSize_ = Horizontal() ? neighbour_->Width() : neighbour_->Height();
      SetCapture(Handle());
      return;
    case WM_MOUSEMOVE:
      if (neighbour_ != nullptr && (message.WParam & MK_LBUTTON)) DragTo(ParentPoint(message));
      TCustomControl::Dispatch(message);
      return;
    case WM_LBUTTONUP:
      if (neighbour_ != nullptr) {
        DragTo(ParentPoint(message));
        neighbour_ = nullptr;
        ReleaseCapture();
      }
      return;
    case WM_CAPTURECHANGED:
      neighbour_ = nullptr;
      TCustomControl::Dispatch(message);
      return;
    case WM_SETCURSOR:
      // The cursor follows the alignment, which may change at any time.
      SetCursor(Horizontal() ? crHSplit : crVSplit);
      TCustomControl::Dispatch(message);
      return;
    default:
      TCustomControl::Dispatch(message);
  }
}

void TSplitter::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

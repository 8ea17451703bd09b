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
  if (parent == nullptr || Align() == alNone || Align() == alClient) return nullptr;
  // The parent places the controls of one alignment in its order, each
  // against the one before.
  TControl* before = nullptr;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this) return before;
    if (c->Visible() && c->Align() == Align()) before = c;
  }
  return nullptr;
}

int TSplitter::MaxNeighbourSize(const TControl* neighbour, const TRect& room) const {
  int free = Horizontal() ? room.Width() : room.Height();
  TWinControl* parent = Parent();
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == neighbour || !c->Visible()) continue;
    if (Horizontal() ? c->Align() == alLeft || c->Align() == alRight : c->Align() == alTop || c->Align() == alBottom)
      free -= SizeOf(c);
  }
  return free - minSize_;
}

void TSplitter::ParentAligning(const TRect& room) {
  TControl* neighbour = FindNeighbour();
  // A parent with no room yet (being made, or shrunk to nothing) says
  // nothing of the room there will be.
  if (neighbour == nullptr || room.Width() <= 0 || room.Height() <= 0) return;
  room_ = room;
  const int size = SizeOf(neighbour);
  const int most = MaxNeighbourSize(neighbour, room);
  // A size no window could hold (a damaged stored one) is forgotten at once:
  // wanted, it would keep the free part at its least however large the
  // window grew.
  if (size != shownSize_) wantedSize_ = size > most + RoomToGrow(room) ? most : size;
  const int limited = std::max(minSize_, std::min(wantedSize_, most));
  shownSize_ = limited;
  if (limited == size) return;
  if (Horizontal()) neighbour->SetWidth(limited);
  else neighbour->SetHeight(limited);
}

int TSplitter::RoomToGrow(const TRect& room) const {
  const int largest = GetSystemMetrics(Horizontal() ? SM_CXMAXTRACK : SM_CYMAXTRACK);
  return std::max(0, largest - (Horizontal() ? room.Width() : room.Height()));
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
  // The room the parent last laid its children out in: a drag does not
  // change it.
  const TRect room = room_.Width() > 0 ? room_ : Parent()->ClientRect();
  int size = std::max(minSize_, std::min(downSize_ + delta, MaxNeighbourSize(neighbour_, room)));
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

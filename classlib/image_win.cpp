#include "classlib/image.h"

#include "classlib/canvas.h"
#include "classlib/picture.h"

TImage::TImage(TComponent* owner) : TCustomControl(owner), picture_(new TPicture) {
  SetParentColor(true);
  width_ = 105;
  height_ = 105;
  picture_->OnChange = [this](TObject*) { Invalidate(); };
}

TImage::~TImage() {
  Destroying();
  if (HandleAllocated()) DestroyWindowHandle();
  delete picture_;
}

void TImage::Changed(bool& field, bool value) {
  if (field == value) return;
  field = value;
  Invalidate();
}

void TImage::SetCenter(bool value) { Changed(center_, value); }
void TImage::SetProportional(bool value) { Changed(proportional_, value); }
void TImage::SetStretch(bool value) { Changed(stretch_, value); }

TRect TImage::DestRect() {
  const TRect client = ClientRect();
  const int clientWidth = client.Width();
  const int clientHeight = client.Height();
  int w = picture_->Width();
  int h = picture_->Height();
  if (w > 0 && h > 0 && (stretch_ || (proportional_ && (w > clientWidth || h > clientHeight)))) {
    if (proportional_) {
      // The larger side fills the client area, the other keeps the ratio.
      const double aspect = static_cast<double>(w) / h;
      if (clientWidth / aspect <= clientHeight) {
        w = clientWidth;
        h = static_cast<int>(clientWidth / aspect);
      } else {
        h = clientHeight;
        w = static_cast<int>(clientHeight * aspect);
      }
    } else {
      w = clientWidth;
      h = clientHeight;
    }
  }
  int x = 0, y = 0;
  if (center_) {
    x = (clientWidth - w) / 2;
    y = (clientHeight - h) / 2;
  }
  return Rect(x, y, x + w, y + h);
}

void TImage::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
  TGraphic* graphic = picture_->Graphic();
  if (graphic == nullptr || graphic->Empty()) return;
  Canvas()->RequiredState(csHandleValid);
  graphic->Draw(Canvas()->Handle(), DestRect());
}

#include "classlib/label.h"

#include "classlib/canvas.h"
#include "classlib/captiontext.h"

TLabel::TLabel(TComponent* owner) : TCustomControl(owner) {
  SetParentColor(true);
  width_ = 65;
  height_ = 17;
}

void TLabel::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Invalidate();
}

void TLabel::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  AdjustBounds();
}

UINT TLabel::TextFormat() const {
  static const UINT kAlignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  return DT_EXPANDTABS | kAlignments[alignment_];
}

void TLabel::AdjustBounds() {
  if (!autoSize_) return;
  SIZE size = MeasureCaptionText(this, Text(), TextFormat());
  int left = left_;
  if (alignment_ == taRightJustify) left += width_ - size.cx;
  if (left != left_ || size.cx != width_ || size.cy != height_) SetBounds(left, top_, size.cx, size.cy);
}

void TLabel::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(message);
      AdjustBounds();
      Invalidate();
      return;
    case CM_COLORCHANGED:
      TCustomControl::Dispatch(message);
      Invalidate();
      return;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      SetCapture(Handle());
      return;
    case WM_LBUTTONUP: {
      if (!pressed_) return;
      pressed_ = false;
      ReleaseCapture();
      // A click is a release over the label that was pressed.
      TWMMouse mouse(message);
      TRect client = ClientRect();
      if (mouse.X >= 0 && mouse.Y >= 0 && mouse.X < client.Right && mouse.Y < client.Bottom) Click();
      return;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      TCustomControl::Dispatch(message);
      return;
    default:
      TCustomControl::Dispatch(message);
  }
}

void TLabel::Paint() {
  TRect client = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(client);
  RECT r{client.Left, client.Top, client.Right, client.Bottom};
  DrawCaptionText(Canvas(), this, Text(), r, TextFormat());
}

#include "classlib/panels.h"

#include "classlib/canvas.h"
#include "classlib/captiontext.h"

namespace {

// A container repaints its caption and frame when they change.
void RepaintOnChange(TWinControl* control, const TMessage& message) {
  if (message.Msg == CM_TEXTCHANGED || message.Msg == CM_FONTCHANGED || message.Msg == CM_COLORCHANGED)
    control->Invalidate();
}

}  // namespace

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) { SetColor(clBtnFace); }

void TPanel::SetBevelOuter(TBevelCut value) {
  if (value == bevelOuter_) return;
  bevelOuter_ = value;
  Realign();
  Invalidate();
}

void TPanel::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
}

void TPanel::AdjustClientRect(TRect& rect) {
  if (bevelOuter_ == bvNone) return;
  rect = Rect(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
}

void TPanel::Dispatch(TMessage& message) {
  RepaintOnChange(this, message);
  TCustomControl::Dispatch(message);
}

void TPanel::Paint() {
  TRect client = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(client);
  RECT r{client.Left, client.Top, client.Right, client.Bottom};
  if (bevelOuter_ != bvNone) {
    Canvas()->RequiredState(csHandleValid);
    DrawEdge(Canvas()->Handle(), &r, bevelOuter_ == bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  }
  DrawCaptionText(Canvas(), this, Text(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
}

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner) { SetParentColor(true); }

void TGroupBox::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
}

void TGroupBox::AdjustClientRect(TRect& rect) {
  const int captionHeight = MeasureCaptionText(this, "0", DT_SINGLELINE).cy;
  rect = Rect(rect.Left + 2, rect.Top + captionHeight, rect.Right - 2, rect.Bottom - 2);
}

void TGroupBox::Dispatch(TMessage& message) {
  if (message.Msg == CM_FONTCHANGED) Realign();
  RepaintOnChange(this, message);
  TCustomControl::Dispatch(message);
}

void TGroupBox::Paint() {
  TRect client = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(client);
  const std::string caption = Text();
  const SIZE text = MeasureCaptionText(this, caption, DT_SINGLELINE);
  RECT frame{client.Left, client.Top + text.cy / 2, client.Right, client.Bottom};
  Canvas()->RequiredState(csHandleValid);
  DrawEdge(Canvas()->Handle(), &frame, EDGE_ETCHED, BF_RECT);
  if (caption.empty()) return;
  RECT r{client.Left + 8, client.Top, client.Left + 8 + text.cx + 4, client.Top + text.cy};
  Canvas()->FillRect(Rect(r.left, r.top, r.right, r.bottom));
  r.left += 2;
  DrawCaptionText(Canvas(), this, caption, r, DT_LEFT | DT_SINGLELINE);
}

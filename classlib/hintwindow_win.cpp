#include "classlib/hintwindow.h"

#include "classlib/canvas.h"

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  SetColor(clInfoBk);
  Font()->SetColor(clInfoText);
  visible_ = false;
}

THintWindowClass THintWindow::StaticClass() {
  return ClassInfoOf<THintWindow, THintWindow, TComponent*>("THintWindow", nullptr);
}

void THintWindow::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  params.WindowClass.style |= CS_SAVEBITS;
  params.WndParent = nullptr;
}

void THintWindow::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_TEXTCHANGED: {
      std::string caption = Text();
      Canvas()->Font()->Assign(Font());
      HDC dc = GetDC(nullptr);
      Canvas()->SetHandle(dc);
      SIZE size = Canvas()->TextExtent(caption);
      Canvas()->SetHandle(nullptr);
      ReleaseDC(nullptr, dc);
      // The window follows its text (one line of it).
      SetBounds(left_, top_, size.cx + 6, size.cy + 6);
      return;
    }
    case WM_NCHITTEST:
      message.Result = HTTRANSPARENT;
      return;
    default:
      TCustomControl::Dispatch(message);
  }
}

void THintWindow::ActivateHint(const TRect& rect, const std::string& hint) {
  SetCaption(hint);
  left_ = rect.Left;
  top_ = rect.Top;
  width_ = rect.Width();
  height_ = rect.Height();
  SetWindowPos(Handle(), HWND_TOPMOST, rect.Left, rect.Top, rect.Width(), rect.Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  visible_ = true;
  Invalidate();
  UpdateWindow();
}

void THintWindow::ActivateHintData(const TRect& rect, const std::string& hint, void*) { ActivateHint(rect, hint); }

TRect THintWindow::CalcHintRect(int maxWidth, const std::string& hint, void*) {
  RECT r{0, 0, maxWidth, 0};
  HDC dc = GetDC(nullptr);
  CanvasHandleScope scope(Canvas(), dc);
  Canvas()->Font()->Assign(Font());
  Canvas()->RequiredState(csHandleValid | csFontValid);
  DrawTextA(dc, hint.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  Canvas()->SetHandle(nullptr);
  ReleaseDC(nullptr, dc);
  return Rect(0, 0, r.right + 6, r.bottom + 2);
}

void THintWindow::ReleaseHandle() {
  visible_ = false;
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

void THintWindow::Paint() {
  TRect client = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(client);
  RECT r{client.Left + 2, client.Top + 2, client.Right, client.Bottom};
  Canvas()->Font()->SetColor(clInfoText);
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->RequiredState(csHandleValid | csFontValid | csBrushValid);
  std::string caption = Text();
  DrawTextA(Canvas()->Handle(), caption.c_str(), -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

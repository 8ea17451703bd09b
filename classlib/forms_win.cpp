#include "classlib/forms.h"

#include "classlib/canvas.h"

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  visible_ = false;
  SetColor(clBtnFace);
  width_ = 320;
  height_ = 240;
  SetComponentState(csLoading, true);
}

TCustomForm::~TCustomForm() {
  Destroying();
  if (OnDestroy) OnDestroy(this);
  if (Application != nullptr && Application->MainForm() == this) Application->SetMainForm(nullptr);
  if (HandleAllocated()) DestroyHandle();
}

void TCustomForm::AfterConstruction() {
  Loaded();
  if (OnCreate) OnCreate(this);
}

void TCustomForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  params.WndParent = ParentWindow() != nullptr ? ParentWindow() : (Application ? Application->Handle() : nullptr);
  params.WindowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::Close() {
  TCloseAction action = Application != nullptr && Application->MainForm() == this ? caFree : caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (Application != nullptr && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  if (action == caMinimize) {
    if (HandleAllocated()) ShowWindow(Handle(), SW_MINIMIZE);
    return;
  }
  Hide();
}

void TCustomForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_VISIBLECHANGED:
      if (Visible()) {
        HandleNeeded();
        DoShow();
        ShowWindow(Handle(), SW_SHOWNORMAL);
      } else {
        if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
        DoHide();
      }
      return;
    case WM_CLOSE:
      Close();
      message.Result = 0;
      return;
    default:
      TWinControl::Dispatch(message);
  }
}

#include "classlib/buttons.h"

#include "classlib/forms.h"

namespace {

bool IsClickNotification(const TMessage& message) {
  return message.Msg == CN_COMMAND && TWMCommand(message).NotifyCode == BN_CLICKED;
}

}  // namespace

// --- TButton ---------------------------------------------------------------------

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  width_ = 75;
  height_ = 25;
}

void TButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "BUTTON");
  params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  TWinControl::Click();
}

bool TButton::PressedByDialogKey(WORD key, LPARAM keyData) {
  if (KeyDataToShiftState(keyData) != 0 || !CanFocus()) return false;
  if (key == VK_ESCAPE) return cancel_;
  if (key != VK_RETURN) return false;
  if (Focused()) return true;
  auto* focusedButton = dynamic_cast<TButton*>(FindOwningControl(GetFocus()));
  return default_ && focusedButton == nullptr;
}

void TButton::Dispatch(TMessage& message) {
  if (IsClickNotification(message)) {
    Click();
    return;
  }
  if (message.Msg == CM_DIALOGKEY) {
    if (PressedByDialogKey(CharCodeOf(message), message.LParam)) {
      Click();
      message.Result = 1;
      return;
    }
  }
  TWinControl::Dispatch(message);
}

// --- TCheckBox -------------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetParentColor(true);
  width_ = 97;
  height_ = 17;
}

void TCheckBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "BUTTON");
  // The class library decides the next state, so a click tells it first.
  params.Style |= BS_3STATE;
}

void TCheckBox::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(state_), 0);
}

TCheckBoxState TCheckBox::State() const {
  if (!HandleAllocated()) return state_;
  HWND window = const_cast<TCheckBox*>(this)->Handle();
  return static_cast<TCheckBoxState>(SendMessageA(window, BM_GETCHECK, 0, 0));
}

void TCheckBox::SetState(TCheckBoxState value) {
  if (value == State()) return;
  state_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(value), 0);
  Click();
}

void TCheckBox::Toggle() {
  switch (State()) {
    case cbUnchecked:
      SetState(cbChecked);
      break;
    case cbChecked:
      SetState(allowGrayed_ ? cbGrayed : cbUnchecked);
      break;
    case cbGrayed:
      SetState(cbUnchecked);
      break;
  }
}

void TCheckBox::Dispatch(TMessage& message) {
  if (IsClickNotification(message)) {
    Toggle();
    return;
  }
  TWinControl::Dispatch(message);
}

// --- TRadioButton ----------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetParentColor(true);
  width_ = 113;
  height_ = 17;
}

void TRadioButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "BUTTON");
  params.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool value) {
  if (value == checked_) return;
  checked_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!value) return;
  if (TWinControl* parent = Parent()) {
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i)); sibling != nullptr && sibling != this)
        sibling->SetChecked(false);
  }
  Click();
}

void TRadioButton::Dispatch(TMessage& message) {
  if (IsClickNotification(message)) {
    SetChecked(true);
    return;
  }
  TWinControl::Dispatch(message);
}

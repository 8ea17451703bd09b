#include "classlib/buttons.h"

#include "classlib/actions.h"
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
  // Enter means the button that has the focus, else the default button.
  TCustomForm* form = GetParentForm(this);
  TWinControl* active = form != nullptr ? form->ActiveControl() : nullptr;
  if (active == this) return true;
  return default_ && dynamic_cast<TButton*>(active) == nullptr;
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

// --- TButtonControl -------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* owner, DWORD style, int width) : TWinControl(owner), style_(style) {
  SetTabStop(true);
  SetParentColor(true);
  width_ = width;
  height_ = 17;
}

void TButtonControl::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "BUTTON");
  params.Style |= style_;
}

void TButtonControl::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(checkState_), 0);
}

int TButtonControl::CheckState() const {
  if (!HandleAllocated()) return checkState_;
  HWND window = const_cast<TButtonControl*>(this)->Handle();
  return static_cast<int>(SendMessageA(window, BM_GETCHECK, 0, 0));
}

void TButtonControl::SetCheckState(int state) {
  checkState_ = state;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void TButtonControl::Dispatch(TMessage& message) {
  if (IsClickNotification(message)) {
    Pressed();
    return;
  }
  TWinControl::Dispatch(message);
}

// --- TCheckBox -------------------------------------------------------------------

// BS_3STATE: the class library decides the next state.
TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner, BS_3STATE, 97) {}

void TCheckBox::SetState(TCheckBoxState value) {
  if (value == State()) return;
  SetCheckState(value);
  Click();
}

void TCheckBox::Pressed() {
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

// --- TRadioButton ----------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner, BS_RADIOBUTTON, 113) {}

void TRadioButton::SetChecked(bool value) {
  if (value == Checked()) return;
  SetCheckState(value ? BST_CHECKED : BST_UNCHECKED);
  if (!value) return;
  if (TWinControl* parent = Parent()) {
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i)); sibling != nullptr && sibling != this)
        sibling->SetChecked(false);
  }
  Click();
}

TControlActionLinkClass TButton::GetActionLinkClass() { return TButtonActionLink::StaticClass(); }
TControlActionLinkClass TButtonControl::GetActionLinkClass() { return TButtonActionLink::StaticClass(); }

// Button controls on the system "BUTTON" class: the push button (default
// and cancel buttons, a modal result it gives its form), the check box
// (OnClick on every change of state, whether the user or code made it) and
// the radio button (checking one clears its siblings).
#pragma once

#include "classlib/controls.h"

class TButton : public TWinControl {
public:
  explicit TButton(TComponent* owner);
  const char* ClassName() const override { return "TButton"; }

  // Enter on the form presses the default button (unless another button
  // has the focus: then that one), Esc the cancel button.
  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  // Given to the form when the button is clicked (ending a modal form).
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }

  void Click() override;
  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;

private:
  bool PressedByDialogKey(WORD key, LPARAM keyData);

  bool default_ = false;
  bool cancel_ = false;
  TModalResult modalResult_ = mrNone;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TWinControl {
public:
  explicit TCheckBox(TComponent* owner);
  const char* ClassName() const override { return "TCheckBox"; }

  bool Checked() const { return State() == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const;
  // A change runs OnClick.
  void SetState(TCheckBoxState value);
  // Whether a click may lead to the grey state.
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value) { allowGrayed_ = value; }
  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

private:
  void Toggle();

  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
};

class TRadioButton : public TWinControl {
public:
  explicit TRadioButton(TComponent* owner);
  const char* ClassName() const override { return "TRadioButton"; }

  bool Checked() const { return checked_; }
  // Checking clears the radio buttons beside it and runs OnClick.
  void SetChecked(bool value);
  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

private:
  bool checked_ = false;
};

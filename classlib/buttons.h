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
  TControlActionLinkClass GetActionLinkClass() override;

protected:
  void CreateParams(TCreateParams& params) override;

private:
  bool PressedByDialogKey(WORD key, LPARAM keyData);

  bool default_ = false;
  bool cancel_ = false;
  TModalResult modalResult_ = mrNone;
};

// What the check box and the radio button share: a "BUTTON" window of the
// given style whose check mark only the class library sets (a click tells
// it first), kept while the window is made again.
class TButtonControl : public TWinControl {
public:
  void Dispatch(TMessage& message) override;
  TControlActionLinkClass GetActionLinkClass() override;

protected:
  TButtonControl(TComponent* owner, DWORD style, int width);
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE, asked of the window
  // once it exists.
  int CheckState() const;
  void SetCheckState(int state);
  // The user clicked the control (or pressed the space bar on it).
  virtual void Pressed() = 0;

private:
  DWORD style_;
  int checkState_ = BST_UNCHECKED;
};

// The states in the order of the window's check marks.
enum TCheckBoxState { cbUnchecked = BST_UNCHECKED, cbChecked = BST_CHECKED, cbGrayed = BST_INDETERMINATE };

class TCheckBox : public TButtonControl {
public:
  explicit TCheckBox(TComponent* owner);
  const char* ClassName() const override { return "TCheckBox"; }

  bool Checked() const { return State() == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return static_cast<TCheckBoxState>(CheckState()); }
  // A change runs OnClick.
  void SetState(TCheckBoxState value);
  // Whether a click may lead to the grey state.
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value) { allowGrayed_ = value; }

protected:
  void Pressed() override;

private:
  bool allowGrayed_ = false;
};

class TRadioButton : public TButtonControl {
public:
  explicit TRadioButton(TComponent* owner);
  const char* ClassName() const override { return "TRadioButton"; }

  bool Checked() const { return CheckState() == BST_CHECKED; }
  // Checking clears the radio buttons beside it and runs OnClick.
  void SetChecked(bool value);

protected:
  void Pressed() override { SetChecked(true); }
};

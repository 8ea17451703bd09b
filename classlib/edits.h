// Edit controls on the system "EDIT" class: the one-line edit and the memo.
// The text lives in the window; OnChange runs for every change of it, typed
// or set by code. A memo's Lines are the lines of its text as written (a
// line wrapped on the screen stays one line).
#pragma once

#include "classlib/controls.h"
#include "classlib/stringlist.h"

class TCustomEdit : public TWinControl {
public:
  explicit TCustomEdit(TComponent* owner);
  ~TCustomEdit() override;

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);

  TNotifyEvent OnChange;
  virtual void Change();
  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;

private:
  bool readOnly_ = false;
};

class TEdit : public TCustomEdit {
public:
  explicit TEdit(TComponent* owner);
  const char* ClassName() const override { return "TEdit"; }

protected:
  void CreateParams(TCreateParams& params) override;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TCustomEdit {
public:
  explicit TMemo(TComponent* owner);
  ~TMemo() override;
  const char* ClassName() const override { return "TMemo"; }

  TStrings* Lines() const { return lines_; }
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  // Whether Enter makes a new line (else it goes to the form's default
  // button) and Tab a tab (else it moves the focus on).
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool value) { wantReturns_ = value; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool value) { wantTabs_ = value; }
  void Dispatch(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;

private:
  TStrings* lines_;
  TScrollStyle scrollBars_ = ssNone;
  bool wordWrap_ = true;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
};

// Forms: top-level windows owned by the application window. A form is
// made by CreateForm: the derived constructor builds the children and
// assigns the handlers, then Loaded runs, then OnCreate. Showing runs OnShow
// before the window appears; OnDestroy runs while the children still exist.
#pragma once

#include <windows.h>

#include "classlib/application.h"
#include "classlib/controls.h"

enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

class TCustomForm : public TWinControl {
public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  const char* ClassName() const override { return "TForm"; }

  // Ends construction: Loaded, then OnCreate (CreateForm calls it).
  void AfterConstruction();

  // Hides the form, or ends the program for the main form (OnClose may
  // change the action).
  void Close();
  void Dispatch(TMessage& message) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnDestroy;
  TCloseEvent OnClose;

protected:
  void CreateParams(TCreateParams& params) override;
  virtual void DoShow();
  virtual void DoHide();
};

class TForm : public TCustomForm {
public:
  using TCustomForm::TCustomForm;
};

// Makes a form owned by the application, runs its creation events and
// makes it the main form when there is none yet.
template <class F>
F* CreateForm(F*& reference) {
  reference = new F(Application);
  if (Application->MainForm() == nullptr) Application->SetMainForm(reference);
  reference->AfterConstruction();
  return reference;
}

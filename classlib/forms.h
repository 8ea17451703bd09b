// Forms: top-level windows owned by the application window. A form is
// made by CreateForm: the derived constructor builds the children and
// assigns the handlers, then Loaded runs, then OnCreate. Showing runs OnShow
// before the window appears; OnDestroy runs while the children still exist.
// Building a form lays it out once, when construction ends (or when it is
// first shown).
//
// A form handles the keys its controls leave (Tab and Shift+Tab move the
// focus in Tab order, Enter presses the default button, Esc the cancel
// button), runs the shortcuts and commands of its menus, and can be shown
// modally: ShowModal disables the program's other windows and returns the
// form's ModalResult once something (a button with a ModalResult, Close)
// sets it.
#pragma once

#include <windows.h>

#include <vector>

#include "classlib/application.h"
#include "classlib/controls.h"

class TMainMenu;
class TMenu;

enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

enum TPosition { poDesigned, poScreenCenter, poMainFormCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

class TCustomForm : public TWinControl {
public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  const char* ClassName() const override { return "TForm"; }

  // Ends construction: Loaded, then OnCreate (CreateForm calls it).
  void AfterConstruction();
  // Starts destruction: OnDestroy runs while the form and its children are
  // still whole. A derived form whose handlers use its own members calls it
  // first thing in its destructor; otherwise the form's destructor does.
  void BeforeDestruction();

  // Hides the form, or ends the program for the main form (OnClose may
  // change the action); a modal form gets ModalResult mrCancel instead.
  void Close();
  void Dispatch(TMessage& message) override;

  // --- modal showing ----------------------------------------------------------
  // Shows the form with every other window of the program disabled and
  // handles messages until ModalResult is set (or the program ends, which
  // gives mrCancel); hides the form again and returns the result. Raises
  // EInvalidOperation for a form that is already showing.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  bool Modal() const { return modal_; }

  // --- window -----------------------------------------------------------------
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  // Where the form appears each time it is shown.
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }
  // The window's state while it is shown; the state it will show in before.
  TWindowState WindowState();
  void SetWindowState(TWindowState value);
  // The client area before the window exists is the size less the frame
  // (and menu bar) the border style gives.
  TRect ClientRect() override;

  // --- focus and keys ---------------------------------------------------------
  // With KeyPreview the form's key events see its controls' keys first.
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { keyPreview_ = value; }
  // The control that has (or gets back) the focus when the form is active.
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  // Told by a control of the form that it (or a window inside it, such as a
  // combo box's edit) got the focus. When that changes the form's focused
  // control, the controls left get their exit events, innermost first, and
  // those entered their enter events, outermost first; a handler that moves
  // the focus elsewhere ends the walk.
  void SetFocusedControl(TWinControl* control);
  // The control of the form that last had the focus.
  TWinControl* FocusedControl() const { return focusedControl_; }
  void ForgetControl(TWinControl* control);
  // Runs the item of the form's menus that has this shortcut (the menu
  // bound to the window, else the shortcut menu, else every main menu the
  // form owns); true when one ran.
  bool IsShortCut(WORD key, TShiftState shift);

  // --- actions ----------------------------------------------------------------
  // The actions of every visible control and of the menu bar's items bring
  // themselves up to date (the application does it at idle time).
  void UpdateActions();
  // An action nobody executed (CM_ACTIONEXECUTE): the active control, the
  // form, then every visible control may take it (ExecuteAction).
  bool DispatchActionExecute(TBasicAction* action);

  // --- menus ------------------------------------------------------------------
  // The menu bar of the window (nullptr: none). Its items' shortcuts and
  // commands run through the form.
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);
  // A menu shown by some other control (a tool bar) whose shortcuts the
  // form runs all the same.
  TMenu* ShortCutMenu() const { return shortCutMenu_; }
  void SetShortCutMenu(TMenu* menu);

  // Whether the form may close now: OnCloseQuery decides (yes without one).
  virtual bool CloseQuery();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnDestroy;
  // Asked before a form that is not modal closes; CanClose false keeps it.
  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;

protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWindowHandle() override;
  void Notification(TComponent* component, TOperation operation) override;
  virtual void DoShow();
  virtual void DoHide();

private:
  void WindowStyles(DWORD& style, DWORD& exStyle) const;
  void ShowWindowNow();
  void HideWindowNow();
  void PlaceOnShow();
  void FocusFirstControl();
  // Shows the form and handles messages until its result is set.
  void RunModalLoop();
  // Closes a modal form once its result is set (OnClose may refuse).
  void CloseModal();
  // Every menu whose commands and pop-ups the form runs.
  std::vector<TMenu*> FormMenus() const;
  bool HandleDialogKey(TMessage& message);

  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool destroyEventRun_ = false;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TPosition position_ = poDesigned;
  TWindowState windowState_ = wsNormal;
  bool keyPreview_ = false;
  bool constructionAlignHeld_ = true;
  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  TMainMenu* menu_ = nullptr;
  TMenu* shortCutMenu_ = nullptr;
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

// While a modal form, a message box or a common dialog runs: the enabled,
// visible top-level windows of this thread other than except are disabled;
// afterwards they are enabled again and the window active before is
// activated again.
class TTaskWindowsDisabled {
public:
  explicit TTaskWindowsDisabled(HWND except);
  ~TTaskWindowsDisabled();
  TTaskWindowsDisabled(const TTaskWindowsDisabled&) = delete;
  TTaskWindowsDisabled& operator=(const TTaskWindowsDisabled&) = delete;

private:
  HWND active_;
  std::vector<HWND> windows_;
};

// The window a message box or common dialog belongs to: the active window
// when it is the program's, else the main form's, else the application's.
HWND ActiveOwnerWindow();

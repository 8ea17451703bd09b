// The application object: the hidden application window that owns dialogs
// and receives synchronised calls, the 8-bit message loop with its message
// event and idle handling, the main form, the hooks of the application
// window, hints, and the handler of exceptions that reach a boundary.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "classlib/component.h"
#include "classlib/messages.h"

class Exception;
class TApplicationEvents;
class TBasicAction;
class TControl;
class TCustomForm;
class THintWindow;
struct THintInfo;
template <class Base, class... Args>
struct TClassInfo;
using THintWindowClass = const TClassInfo<THintWindow, TComponent*>*;

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TShowHintEvent = std::function<void(std::string& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// A hook of the application window: an (object, member function) pair, so
// that it can be found again to unhook it. Returns true when it handled the
// message (Result set).
struct TMainWindowHook {
  using Method = bool (TObject::*)(TMessage&);
  TMainWindowHook() = default;
  template <class C>
  TMainWindowHook(C* object, bool (C::*method)(TMessage&)) : Object(object), Code(static_cast<Method>(method)) {}
  bool operator()(TMessage& message) const { return (Object->*Code)(message); }
  friend bool operator==(const TMainWindowHook&, const TMainWindowHook&) = default;
  TObject* Object = nullptr;
  Method Code = nullptr;
};

class TApplication : public TComponent {
public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  // Posted to the application window when a synchronised call waits; its
  // handler runs the waiting calls (CheckSynchronize).
  static constexpr UINT kSynchronizeMessage = WM_USER + 0x100;

  // The application window (created with the object): it owns the forms
  // and, once Run shows it (with no size), carries the program's taskbar
  // button, so hiding it takes the button away.
  HWND Handle() const { return handle_; }
  const std::string& Title() const { return title_; }
  // The text of the taskbar button too.
  void SetTitle(const std::string& title);
  // The program's help file, for those who open it.
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& value) { helpFile_ = value; }

  // Handles one message if there is one; returns whether there was. The
  // message goes to OnMessage, then (unless handled) a key goes to the
  // control it is for (CN_KEYDOWN: shortcuts, Tab, Enter, Esc), then to the
  // dialog whose handle is DialogHandle (IsDialogMessageA, once), then to
  // TranslateMessage and DispatchMessageA.
  bool ProcessMessage(MSG& msg);
  // Handles every waiting message and runs the waiting synchronised calls.
  void ProcessMessages();
  // Handles one message, or runs the waiting synchronised calls, or does
  // the idle work and waits until there is a message or a call.
  void HandleMessage();
  // Shows the main form (and the application window), then handles
  // messages until Terminate was called or WM_QUIT arrived.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Shows the exception (OnException when assigned, ShowException
  // otherwise); EAbort is silent.
  void HandleException(TObject* sender, std::exception_ptr error);
  void ShowException(const Exception& e);
  TExceptionEvent OnException;

  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  TNotifyEvent OnHint;
  TShowHintEvent OnShowHint;

  // Minimises the program (the application window, and with it every form
  // it owns), or restores it; each tells OnMinimize / OnRestore and every
  // TApplicationEvents. The system's minimise and restore commands of the
  // application window and of the main form come here too.
  void Minimize();
  void Restore();
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  void AddEvents(TApplicationEvents* events);
  void RemoveEvents(TApplicationEvents* events);

  // MessageBoxA owned by the active form with the program's other windows
  // disabled meanwhile; returns the system's answer (IDOK, IDCANCEL, ...).
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);

  // The first form created with CreateForm; closing it ends Run.
  TCustomForm* MainForm() const { return mainForm_; }
  void SetMainForm(TCustomForm* form) { mainForm_ = form; }
  // The modeless dialog whose keyboard navigation the loop handles.
  HWND DialogHandle() const { return dialogHandle_; }
  void SetDialogHandle(HWND window) { dialogHandle_ = window; }

  // Hooks see every message of the application window first, the last
  // added first; one that returns true ends the handling.
  void HookMainWindow(const TMainWindowHook& hook);
  void UnhookMainWindow(const TMainWindowHook& hook);

  // --- hints --------------------------------------------------------------
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  // Whether hints of controls with an action show its shortcut.
  bool HintShortCuts() const { return hintShortCuts_; }
  void SetHintShortCuts(bool value) { hintShortCuts_ = value; }
  int HintPause() const { return hintPause_; }
  void SetHintPause(int ms) { hintPause_ = ms; }
  int HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(int ms) { hintHidePause_ = ms; }
  // The long hint of the control under the mouse (OnHint on change).
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value);
  THintWindowClass HintWindowClass() const { return hintWindowClass_; }
  void SetHintWindowClass(THintWindowClass value) { hintWindowClass_ = value; }
  // The window of the hint shown last (nullptr before the first).
  THintWindow* HintWindow() const { return hintWindow_; }
  // The record of the hint being shown or prepared; its address never
  // changes, so a hint window can tell it from other data it is given.
  THintInfo& CurrentHintInfo() { return *hintInfo_; }
  // Called by controls for the mouse messages they receive: starts the
  // hint pause for a new control, hides the hint on a click.
  void HintMouseMessage(TControl* control, TMessage& message);
  // Shows the hint of the control at a screen point (CM_HINTSHOW first).
  void ActivateHint(POINT cursorPos);
  // Hides a showing hint and stops the hint timer.
  void CancelHint();

  // The idle work: the application hint, OnIdle, then the actions of the
  // shown forms' controls and menus update themselves.
  void Idle(const MSG& msg);

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  bool IsDlgMsg(MSG& msg);
  bool IsKeyMsg(MSG& msg);
  void HintTimerExpired();
  // Every shown, enabled form of the program brings its actions up to date.
  void UpdateFormActions();
  // An action nobody executed (CM_ACTIONEXECUTE): offered to the active
  // form, then to the main form; true when one took it.
  bool DispatchAction(TBasicAction* action);

  HWND handle_ = nullptr;
  std::string title_;
  std::string helpFile_;
  bool terminated_ = false;
  TCustomForm* mainForm_ = nullptr;
  HWND dialogHandle_ = nullptr;
  std::vector<TMainWindowHook> windowHooks_;
  std::vector<TApplicationEvents*> events_;
  bool showHint_ = true;
  bool hintShortCuts_ = true;
  int hintPause_ = 500;
  int hintHidePause_ = 2500;
  std::string hint_;
  THintWindowClass hintWindowClass_ = nullptr;
  THintWindow* hintWindow_ = nullptr;
  THintInfo* hintInfo_;
  TControl* hintControl_ = nullptr;
  bool hintActive_ = false;
};

// The program's application object (created by the class library at start-up).
extern TApplication* Application;

// The part of a hint after the first "|" (all of it without one): what the
// application shows as its hint.
std::string GetLongHint(const std::string& hint);

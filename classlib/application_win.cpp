#include "classlib/application.h"

#include <algorithm>

#include "classlib/actions.h"
#include "classlib/appevents.h"
#include "classlib/boundary.h"
#include "classlib/canvas.h"
#include "classlib/controls.h"
#include "classlib/exceptions.h"
#include "classlib/forms.h"
#include "classlib/hintwindow.h"
#include "classlib/thread.h"

namespace {
const char kWindowClass[] = "OvalisApplication";

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  return GuardBoundary<BOOL>(FALSE, [&] {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
  });
}
constexpr UINT_PTR kHintTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;

// The program's application object exists from static initialisation to exit.
struct ApplicationHolder {
  ApplicationHolder() { Application = new TApplication(nullptr); }
  ~ApplicationHolder() {
    // Cleared first: a worker still running at exit must not reach an
    // object being destroyed.
    TApplication* application = Application;
    Application = nullptr;
    delete application;
  }
};
}  // namespace

TApplication* Application = nullptr;
static ApplicationHolder applicationHolder;

TApplication::TApplication(TComponent* owner) : TComponent(owner), hintInfo_(new THintInfo) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TApplication::WndProc;
  wc.hInstance = instance;
  wc.lpszClassName = kWindowClass;
  RegisterClassA(&wc);  // fails harmlessly when already registered
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  size_t slash = name.find_last_of("\\:");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  title_ = name;
  handle_ = CreateWindowExA(0, kWindowClass, title_.c_str(), WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS |
                                                               WS_SYSMENU | WS_MINIMIZEBOX,
                            0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (handle_ != nullptr) SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TApplication::~TApplication() {
  Destroying();
  CancelHint();
  delete hintWindow_;
  hintWindow_ = nullptr;
  delete hintInfo_;
  if (handle_ != nullptr) {
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
}

LRESULT CALLBACK TApplication::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return GuardBoundary<LRESULT>(0, [&]() -> LRESULT {
    auto* self = reinterpret_cast<TApplication*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->WindowMessage(msg, wParam, lParam);
  });
}

LRESULT TApplication::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  // A hook may unhook itself: walk a copy, newest first.
  std::vector<TMainWindowHook> hooks = windowHooks_;
  for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
    if ((*it)(message)) return message.Result;
  switch (msg) {
    case kSynchronizeMessage:
      CheckSynchronize();
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        Minimize();
        return 0;
      }
      if ((wParam & 0xFFF0) == SC_RESTORE) {
        Restore();
        return 0;
      }
      break;
    case WM_CLOSE:
      if (mainForm_ != nullptr) mainForm_->Close();
      return 0;
    case CM_ACTIONEXECUTE:
      return DispatchAction(reinterpret_cast<TBasicAction*>(lParam)) ? 1 : 0;
    case WM_SETFOCUS: {
      // The taskbar button activates this window: the form last active
      // gets the focus.
      HWND popup = GetLastActivePopup(handle_);
      if (popup != nullptr && popup != handle_ && IsWindowVisible(popup) && IsWindowEnabled(popup)) SetFocus(popup);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kHintTimer) {
        HintTimerExpired();
        return 0;
      }
      if (wParam == kHintHideTimer) {
        CancelHint();
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(handle_, msg, wParam, lParam);
}

void TApplication::HookMainWindow(const TMainWindowHook& hook) {
  if (std::find(windowHooks_.begin(), windowHooks_.end(), hook) == windowHooks_.end())
    windowHooks_.push_back(hook);
}

void TApplication::UnhookMainWindow(const TMainWindowHook& hook) {
  windowHooks_.erase(std::remove(windowHooks_.begin(), windowHooks_.end(), hook), windowHooks_.end());
}

bool TApplication::IsDlgMsg(MSG& msg) {
  return dialogHandle_ != nullptr && IsDialogMessageA(dialogHandle_, &msg);
}

bool TApplication::IsKeyMsg(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  TWinControl* control = FindOwningControl(msg.hwnd);
  return control != nullptr && control->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  if (OnMessage) OnMessage(msg, handled);
  if (handled) return true;
  if (hintActive_ && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN ||
                      msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN))
    CancelHint();
  if (IsKeyMsg(msg) || IsDlgMsg(msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
  CheckSynchronize();
}

void TApplication::HandleMessage() {
  MSG msg{};
  if (ProcessMessage(msg) || CheckSynchronize()) return;
  Idle(msg);
  // Wakes for input and for a synchronised call alike, so a call whose
  // posted message was lost (a full queue) still runs.
  HANDLE wake = SynchronizeEvent();
  MsgWaitForMultipleObjectsEx(wake != nullptr ? 1 : 0, &wake, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void TApplication::Run() {
  if (mainForm_ != nullptr) {
    if (handle_ != nullptr && !IsWindowVisible(handle_)) ShowWindow(handle_, SW_SHOWNOACTIVATE);
    mainForm_->Show();
  }
  while (!terminated_) HandleMessage();
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_ != nullptr) SetWindowTextA(handle_, title.c_str());
}

void TApplication::Minimize() {
  if (handle_ == nullptr || IsIconic(handle_)) return;
  ShowWindow(handle_, SW_MINIMIZE);
  // The forms go with the window that owns them.
  ShowOwnedPopups(handle_, FALSE);
  if (OnMinimize) OnMinimize(this);
  for (TApplicationEvents* events : std::vector<TApplicationEvents*>(events_)) events->DoMinimize();
}

void TApplication::Restore() {
  if (handle_ == nullptr || !IsIconic(handle_)) return;
  ShowWindow(handle_, SW_RESTORE);
  ShowOwnedPopups(handle_, TRUE);
  if (OnRestore) OnRestore(this);
  for (TApplicationEvents* events : std::vector<TApplicationEvents*>(events_)) events->DoRestore();
}

void TApplication::AddEvents(TApplicationEvents* events) { events_.push_back(events); }

void TApplication::RemoveEvents(TApplicationEvents* events) {
  events_.erase(std::remove(events_.begin(), events_.end(), events), events_.end());
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  const HWND owner = ActiveOwnerWindow();
  TTaskWindowsDisabled disabled(owner);
  return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::Idle(const MSG&) {
  POINT p{};
  GetCursorPos(&p);
  TWinControl* control = nullptr;
  for (HWND w = WindowFromPoint(p); w != nullptr && control == nullptr; w = GetParent(w)) control = FindControl(w);
  std::string hint;
  for (TControl* c = control; c != nullptr && hint.empty(); c = c->Parent()) hint = c->Hint();
  SetHint(GetLongHint(hint));
  bool done = true;
  if (OnIdle) OnIdle(this, done);
  UpdateFormActions();
}

void TApplication::UpdateFormActions() {
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&windows));
  // A form may go while another one's actions update: each is looked up
  // again from its window.
  for (HWND window : windows) {
    auto* form = dynamic_cast<TCustomForm*>(FindControl(window));
    if (form != nullptr && IsWindowVisible(window) && IsWindowEnabled(window)) form->UpdateActions();
  }
}

bool TApplication::DispatchAction(TBasicAction* action) {
  if (action == nullptr) return false;
  auto* active = dynamic_cast<TCustomForm*>(FindControl(GetActiveWindow()));
  if (active != nullptr && active->Perform(CM_ACTIONEXECUTE, 0, reinterpret_cast<LPARAM>(action)) == 1) return true;
  return mainForm_ != nullptr && mainForm_ != active &&
         mainForm_->Perform(CM_ACTIONEXECUTE, 0, reinterpret_cast<LPARAM>(action)) == 1;
}

std::string GetLongHint(const std::string& hint) {
  size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

void TApplication::SetHint(const std::string& value) {
  if (value == hint_) return;
  hint_ = value;
  if (OnHint) {
    OnHint(this);
    return;
  }
  // Whoever shows hints (a status bar) takes them from a hint action.
  THintAction action(nullptr);
  action.SetHint(value);
  action.Execute();
}

void TApplication::SetShowHint(bool value) {
  showHint_ = value;
  if (!value) CancelHint();
}

void TApplication::HintMouseMessage(TControl* control, TMessage& message) {
  if (!showHint_ || handle_ == nullptr) return;
  if (message.Msg != WM_MOUSEMOVE) return;
  if (control == hintControl_) return;
  if (hintControl_ != nullptr) hintControl_->RemoveFreeNotification(this);
  CancelHint();
  hintControl_ = control;
  if (control != nullptr) {
    control->FreeNotification(this);
    SetTimer(handle_, kHintTimer, static_cast<UINT>(hintPause_), nullptr);
  }
}

void TApplication::HintTimerExpired() {
  KillTimer(handle_, kHintTimer);
  POINT p{};
  GetCursorPos(&p);
  ActivateHint(p);
}

void TApplication::ActivateHint(POINT cursorPos) {
  TWinControl* windowed = nullptr;
  for (HWND w = WindowFromPoint(cursorPos); w != nullptr && windowed == nullptr; w = GetParent(w))
    windowed = FindControl(w);
  TControl* control = windowed;
  if (control == nullptr || !showHint_ || !control->ShowHint()) {
    CancelHint();
    return;
  }
  THintInfo& info = *hintInfo_;
  info = THintInfo{};
  info.HintControl = control;
  info.HintWindowClass = hintWindowClass_ != nullptr ? hintWindowClass_ : THintWindow::StaticClass();
  info.HintPos = POINT{cursorPos.x, cursorPos.y + GetSystemMetrics(SM_CYCURSOR) / 2};
  info.HintMaxWidth = GetSystemMetrics(SM_CXSCREEN);
  info.HintColor = clInfoBk;
  info.CursorRect = control->ClientRect();
  info.CursorPos = control->ScreenToClient(cursorPos);
  info.HideTimeout = hintHidePause_;
  std::string hint = control->Hint();
  for (TControl* c = control->Parent(); hint.empty() && c != nullptr; c = c->Parent()) hint = c->Hint();
  info.HintStr = hint.substr(0, hint.find('|'));
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
  if (!canShow || info.HintStr.empty()) {
    CancelHint();
    return;
  }
  if (hintWindow_ == nullptr || hintWindow_->ClassType() != info.HintWindowClass) {
    delete hintWindow_;
    hintWindow_ = info.HintWindowClass->Create(this);
  }
  TRect r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  r = Rect(info.HintPos.x, info.HintPos.y, info.HintPos.x + r.Width(), info.HintPos.y + r.Height());
  hintWindow_->ActivateHintData(r, info.HintStr, info.HintData);
  hintActive_ = true;
  if (info.HideTimeout > 0) SetTimer(handle_, kHintHideTimer, static_cast<UINT>(info.HideTimeout), nullptr);
}

void TApplication::CancelHint() {
  if (handle_ != nullptr) {
    KillTimer(handle_, kHintTimer);
    KillTimer(handle_, kHintHideTimer);
  }
  if (hintWindow_ != nullptr) hintWindow_->ReleaseHandle();
  hintActive_ = false;
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == hintControl_) {
    hintControl_ = nullptr;
    CancelHint();
  }
  if (component == hintWindow_) hintWindow_ = nullptr;
  if (hintInfo_ != nullptr && component == hintInfo_->HintControl) hintInfo_->HintControl = nullptr;
  if (component == mainForm_) mainForm_ = nullptr;
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

void TApplication::HandleException(TObject* sender, std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    if (OnException) OnException(sender, e);
    else ShowException(e);
  } catch (const std::exception& e) {
    Exception wrapped(e.what());
    if (OnException) OnException(sender, wrapped);
    else ShowException(wrapped);
  } catch (...) {
    Exception wrapped("Unknown exception");
    if (OnException) OnException(sender, wrapped);
    else ShowException(wrapped);
  }
}

void TApplication::ShowException(const Exception& e) {
  std::string text = e.Message();
  if (!text.empty() && text.back() > '.') text += '.';
  MessageBox(text, title_, MB_OK | MB_ICONSTOP);
}
